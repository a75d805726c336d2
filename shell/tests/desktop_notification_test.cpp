// The new-message notification on the desktop: a session bus of the test's
// own (dbus-daemon) and a small notification server that records what
// arrives and invokes the actions a user would choose.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "kestrova/bus.h"
#include "kestrova/platform/message_loop.h"
#include "screen_scene.h"
#include "tray/desktop_notifier.h"
#include "tray/tray_icon.h"

extern char** environ;

namespace kestrova::shell::testing {
namespace {

using namespace kestrova::platform;
using namespace std::chrono_literals;

// A private session bus; gone with the object.
class PrivateBus {
  public:
    PrivateBus() {
        int out[2];
        if (::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr};
        if (posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
            pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        char buffer[512];
        ssize_t got = pid_ > 0 ? ::read(out[0], buffer, sizeof buffer - 1) : -1;
        ::close(out[0]);
        if (got <= 0) return;
        address_.assign(buffer, static_cast<size_t>(got));
        address_ = address_.substr(0, address_.find('\n'));
    }
    ~PrivateBus() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& address() const { return address_; }

  private:
    pid_t pid_ = 0;
    std::string address_;
};

constexpr char kIntrospection[] = R"(<node><interface name="org.freedesktop.Notifications">
  <method name="Notify"><arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/></method>
  <method name="CloseNotification"><arg type="u" direction="in"/></method>
</interface></node>)";

// The desktop's notification server, as far as the program uses it.
class NotificationServer {
  public:
    struct Shown {
        std::string summary, body;
        std::vector<std::string> actions;
        int32_t timeout;
    };

    explicit NotificationServer(const std::string& address) {
        context_ = g_main_context_new();
        loop_ = g_main_loop_new(context_, FALSE);
        g_main_context_push_thread_default(context_);
        bus_ = g_dbus_connection_new_for_address_sync(
            address.c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
        static const GDBusInterfaceVTable vtable{&NotificationServer::call, nullptr, nullptr, {}};
        g_dbus_connection_register_object(bus_, "/org/freedesktop/Notifications", node->interfaces[0],
                                          &vtable, this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        GVariant* reply = g_dbus_connection_call_sync(
            bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
            g_variant_new("(su)", "org.freedesktop.Notifications", 4u), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000,
            nullptr, nullptr);
        if (reply) g_variant_unref(reply);
        g_main_context_pop_thread_default(context_);
        thread_ = std::thread([this] {
            g_main_context_push_thread_default(context_);
            g_main_loop_run(loop_);
            g_main_context_pop_thread_default(context_);
        });
    }
    ~NotificationServer() {
        // Quitting through the loop's own context: a quit called before the
        // thread has entered g_main_loop_run is forgotten, and the join waits
        // for ever.
        GSource* quit = g_idle_source_new();
        g_source_set_callback(
            quit, [](gpointer loop) -> gboolean {
                g_main_loop_quit(static_cast<GMainLoop*>(loop));
                return G_SOURCE_REMOVE;
            },
            loop_, nullptr);
        g_source_attach(quit, context_);
        g_source_unref(quit);
        thread_.join();
        g_object_unref(bus_);
        g_main_loop_unref(loop_);
        g_main_context_unref(context_);
    }

    void invokeAction(uint32_t id, const std::string& action) {
        g_dbus_connection_emit_signal(bus_, nullptr, "/org/freedesktop/Notifications",
                                      "org.freedesktop.Notifications", "ActionInvoked",
                                      g_variant_new("(us)", id, action.c_str()), nullptr);
        g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
    }

    std::vector<Shown> shown() {
        std::lock_guard lock(mutex_);
        return shown_;
    }
    std::vector<uint32_t> closed() {
        std::lock_guard lock(mutex_);
        return closed_;
    }

  private:
    static void call(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                     GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
        auto* server = static_cast<NotificationServer*>(self);
        std::lock_guard lock(server->mutex_);
        if (std::string(method) == "Notify") {
            const gchar *app, *icon, *summary, *body;
            guint32 replaces;
            GVariantIter* actions;
            GVariant* hints;
            gint32 timeout;
            g_variant_get(parameters, "(&su&s&s&sas@a{sv}i)", &app, &replaces, &icon, &summary, &body,
                          &actions, &hints, &timeout);
            Shown shown{summary, body, {}, timeout};
            const gchar* each;
            while (g_variant_iter_next(actions, "&s", &each))
                shown.actions.push_back(each);
            g_variant_iter_free(actions);
            g_variant_unref(hints);
            server->shown_.push_back(shown);
            g_dbus_method_invocation_return_value(
                invocation, g_variant_new("(u)", static_cast<guint32>(server->shown_.size())));
        } else {
            guint32 id;
            g_variant_get(parameters, "(u)", &id);
            server->closed_.push_back(id);
            g_dbus_method_invocation_return_value(invocation, nullptr);
        }
    }

    GMainContext* context_;
    GMainLoop* loop_;
    GDBusConnection* bus_;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Shown> shown_;
    std::vector<uint32_t> closed_;
};

// Handles the program's messages until the condition holds (at most 10 s).
template <typename Condition> bool waitFor(ScreenScene& scene, Condition condition) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
        scene.pump();
        if (condition()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

struct BusEnvironment {
    explicit BusEnvironment(const std::string& address) {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }
    ~BusEnvironment() { ::unsetenv("DBUS_SESSION_BUS_ADDRESS"); }
};

TEST(DesktopNotification, GoesToTheDesktopWithItsButtonsAndOpenKestrovaBringsTheProgramForward) {
    PrivateBus bus;
    ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start";
    BusEnvironment environment(bus.address());
    NotificationServer server(bus.address());
    ScreenScene scene;
    auto tray = TrayIcon::create();
    bus::set(names::kMessagesUnread, 2);
    ASSERT_TRUE(waitFor(scene, [&] { return server.shown().size() == 1; }));
    NotificationServer::Shown shown = server.shown()[0];
    EXPECT_EQ(shown.summary, "Kestrova Messages");
    EXPECT_EQ(shown.body, "You have Kestrova messages waiting");
    EXPECT_EQ(shown.actions, (std::vector<std::string>{"10", "Open Kestrova", "11", "Dismiss"}));
    EXPECT_EQ(shown.timeout, 0);

    // An action of another notification is not ours.
    server.invokeAction(7, "10");
    server.invokeAction(1, "10");
    ASSERT_TRUE(waitFor(scene, [&] { return scene.activations() == 1; }));
    EXPECT_FALSE(tray->notificationPending());
    // The bubble on the screen went with it, and the desktop's is withdrawn.
    EXPECT_FALSE(notificationWindow(TrayIcon::kNotificationClass, TrayIcon::kNotificationId));
    EXPECT_TRUE(waitFor(scene, [&] { return server.closed() == std::vector<uint32_t>{1}; }));
    EXPECT_EQ(scene.activations(), 1);

    // Read on the phone: the desktop's goes too.
    bus::set(names::kMessagesUnread, 3);
    ASSERT_TRUE(waitFor(scene, [&] { return server.shown().size() == 2; }));
    bus::set(names::kMessagesUnread, 0);
    EXPECT_TRUE(waitFor(scene, [&] { return server.closed().size() == 2; }));
}

TEST(DesktopNotification, NeedsASessionBusWithANotificationServer) {
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string runtimeBefore = runtime ? runtime : "";
    ::setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
    EXPECT_FALSE(DesktopNotifier::connect(nullptr));
    if (runtime)
        ::setenv("XDG_RUNTIME_DIR", runtimeBefore.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
    PrivateBus bus;
    ASSERT_FALSE(bus.address().empty());
    BusEnvironment environment(bus.address());
    EXPECT_FALSE(DesktopNotifier::connect(nullptr));
    NotificationServer server(bus.address());
    EXPECT_TRUE(DesktopNotifier::connect(nullptr));
}

} // namespace
} // namespace kestrova::shell::testing
