#include "desktop_notifier.h"

#include <gio/gio.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "kestrova/platform/message_loop.h"

namespace kestrova::shell {

using namespace kestrova::platform;

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr int kCallTimeoutMs = 2000;
// The action a click on the notification itself sends.
constexpr char kDefaultAction[] = "default";

// The session bus's address, without starting a bus: an address in the
// environment, or the user's bus socket.
std::string sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        std::error_code ec;
        std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
        if (std::filesystem::exists(socket, ec)) return "unix:path=" + socket.string();
    }
    return {};
}

bool busHas(GDBusConnection* bus, const char* method, const char* name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
        std::string(method) == "NameHasOwner" ? g_variant_new("(s)", name) : nullptr, nullptr,
        G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr);
    if (!reply) return false;
    bool found = false;
    if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(b)"))) {
        gboolean owned = FALSE;
        g_variant_get(reply, "(b)", &owned);
        found = owned;
    } else if (g_variant_is_of_type(reply, G_VARIANT_TYPE("(as)"))) {
        GVariantIter* names = nullptr;
        g_variant_get(reply, "(as)", &names);
        const char* each = nullptr;
        while (!found && g_variant_iter_next(names, "&s", &each))
            found = std::string(each) == name;
        g_variant_iter_free(names);
    }
    g_variant_unref(reply);
    return found;
}

// A notification server is there, or the bus starts one when asked.
bool hasNotificationServer(GDBusConnection* bus) {
    return busHas(bus, "NameHasOwner", kService) || busHas(bus, "ListActivatableNames", kService);
}

} // namespace

// The bus connection and the thread that serves it: every call to the
// notification server and every signal from it runs there.
struct DesktopNotifier::Link {
    HWND sink = nullptr;
    GDBusConnection* bus = nullptr;
    GMainContext* context = nullptr;
    GMainLoop* loop = nullptr;
    guint actionSignal = 0;
    std::thread thread;
    // The server's id of the notification shown; only the bus thread touches it.
    uint32_t shownId = 0;

    ~Link() {
        if (loop) {
            // Queued behind what was asked before, so a withdrawal still goes out.
            runOnBusThread([this] { g_main_loop_quit(loop); });
            thread.join();
        }
        if (actionSignal) g_dbus_connection_signal_unsubscribe(bus, actionSignal);
        if (loop) g_main_loop_unref(loop);
        if (context) g_main_context_unref(context);
        if (bus) g_object_unref(bus);
    }

    void runOnBusThread(std::function<void()> work) {
        auto* job = new std::function<void()>(std::move(work));
        g_main_context_invoke_full(
            context, G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                (*static_cast<std::function<void()>*>(data))();
                return G_SOURCE_REMOVE;
            },
            job, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
    }

    void notify(const NotificationRecord& record) {
        GVariantBuilder actions;
        g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
        for (const auto& button : record.buttons) {
            g_variant_builder_add(&actions, "s", std::to_string(button.command).c_str());
            g_variant_builder_add(&actions, "s", button.label.c_str());
        }
        GVariantBuilder hints;
        g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
        // A server that reads markup in the body must not read it in ours.
        gchar* body = g_markup_escape_text(record.text.c_str(), -1);
        // NOTE: the notification stays (timeout 0) until the messages are
        // read or the user answers it, as the bubble on the screen does.
        GVariant* reply = g_dbus_connection_call_sync(
            bus, kService, kPath, kInterface, "Notify",
            g_variant_new("(susssasa{sv}i)", "Kestrova", shownId, "", record.title.c_str(), body, &actions,
                          &hints, 0),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr);
        g_free(body);
        if (!reply) return;
        g_variant_get(reply, "(u)", &shownId);
        g_variant_unref(reply);
    }

    void close() {
        if (shownId == 0) return;
        GVariant* reply = g_dbus_connection_call_sync(
            bus, kService, kPath, kInterface, "CloseNotification", g_variant_new("(u)", shownId), nullptr,
            G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr);
        if (reply) g_variant_unref(reply);
        shownId = 0;
    }

    void onAction(uint32_t id, const std::string& action) {
        if (id == 0 || id != shownId) return;
        int command = 0;
        if (action == kDefaultAction)
            command = 10; // a click on the notification opens the program, as "Open Kestrova" does
        else
            for (char c : action) {
                if (c < '0' || c > '9' || command > 0xFFFF) return;
                command = command * 10 + (c - '0');
            }
        postMessage(sink, WM_COMMAND, static_cast<WParam>(command), 0);
    }

    static void actionInvoked(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                              GVariant* parameters, gpointer self) {
        if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(us)"))) return;
        guint32 id = 0;
        const gchar* action = nullptr;
        g_variant_get(parameters, "(u&s)", &id, &action);
        static_cast<Link*>(self)->onAction(id, action);
    }
};

std::unique_ptr<DesktopNotifier> DesktopNotifier::connect(HWND sink) {
    std::string address = sessionBusAddress();
    if (address.empty()) return nullptr;
    auto link = std::make_unique<Link>();
    link->sink = sink;
    link->bus = g_dbus_connection_new_for_address_sync(
        address.c_str(),
        GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                             G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (!link->bus || !hasNotificationServer(link->bus)) return nullptr;
    g_dbus_connection_set_exit_on_close(link->bus, FALSE);
    link->context = g_main_context_new();
    link->loop = g_main_loop_new(link->context, FALSE);
    // Signals go to the context that is the thread's default when subscribing.
    g_main_context_push_thread_default(link->context);
    link->actionSignal = g_dbus_connection_signal_subscribe(link->bus, kService, kInterface, "ActionInvoked",
                                                            kPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                            &Link::actionInvoked, link.get(), nullptr);
    g_main_context_pop_thread_default(link->context);
    Link* raw = link.get();
    link->thread = std::thread([raw] {
        g_main_context_push_thread_default(raw->context);
        g_main_loop_run(raw->loop);
        g_main_context_pop_thread_default(raw->context);
    });
    return std::unique_ptr<DesktopNotifier>(new DesktopNotifier(std::move(link)));
}

DesktopNotifier::DesktopNotifier(std::unique_ptr<Link> link) : link_(std::move(link)) {}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::show(const NotificationRecord& record) {
    link_->runOnBusThread([link = link_.get(), record] { link->notify(record); });
}

void DesktopNotifier::withdraw() {
    link_->runOnBusThread([link = link_.get()] { link->close(); });
}

} // namespace kestrova::shell
