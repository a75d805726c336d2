// A test plug-in for the end-to-end chat tests: the hook through which a test
// opens a conversation in the real program while the program has no contact
// list to tap yet. For every contact on the contact list and every group it
// keeps a hidden window titled "open contact <account>" or "open group
// <name>"; closing that window (automation "close") raises
// "messaging.chat.contact" or "messaging.chat.group", as tapping the row
// will. A window titled "connection.state <N>" shows how far signing in got.
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/handles.h"
#include "kestrova/kit/plugin_entry.h"
#include "kestrova/platform/window.h"

namespace {

namespace platform = kestrova::platform;
namespace bus = kestrova::bus;
namespace kit = kestrova::kit;
namespace names = kestrova::names;

constexpr char kClass[] = "KestrovaE2eOpener";

struct Target {
    kit::OwnedContact contact;
    kit::OwnedGroup group;
};

class Opener {
  public:
    Opener() {
        platform::registerClass({kClass, &Opener::proc, 0, std::nullopt});
        state_ = makeWindow("connection.state 0");
        onState_ = kit::subscribe(names::kConnectionState, [this](int32_t state) {
            platform::setWindowText(state_, "connection.state " + std::to_string(state));
            refreshGroups();
        });
        onContact_ = kit::subscribe(names::kContactChanged, [this](HCONTACT contact) {
            addContact(contact);
            refreshGroups(); // groups arrive with their members
        });
        onGroups_ = kit::subscribe(names::kGroupsChanged, [this] { refreshGroups(); });
    }
    ~Opener() {
        for (auto& [hwnd, target] : targets_)
            platform::destroyWindow(hwnd);
        platform::destroyWindow(state_);
    }

  private:
    static platform::LResult proc(platform::HWND hwnd, uint32_t message, platform::WParam w,
                                  platform::LParam l) {
        if (message == platform::WM_CLOSE && instance()) {
            instance()->open(hwnd);
            return 0;
        }
        return platform::defWindowProc(hwnd, message, w, l);
    }

    platform::HWND makeWindow(const std::string& title) {
        return platform::createWindow({kClass, title, 0, {}, nullptr, nullptr, 0, nullptr});
    }

    void open(platform::HWND hwnd) {
        auto it = targets_.find(hwnd);
        if (it == targets_.end()) return;
        if (it->second.contact)
            bus::raise(names::kMessagingChatContact, it->second.contact.get());
        else
            bus::raise(names::kMessagingChatGroup, it->second.group.get());
    }

    void addContact(HCONTACT contact) {
        RY_ContactData data{};
        data.size = sizeof data;
        RY_GetContactData(contact, &data);
        std::string title = std::string("open contact ") + (data.name ? data.name : "");
        if (titles_.count(title) || !data.name || !*data.name) return;
        platform::HWND hwnd = makeWindow(title);
        titles_[title] = hwnd;
        targets_[hwnd].contact = kit::OwnedContact::share(contact);
    }

    void refreshGroups() {
        uint64_t id = 0;
        if (!RY_EnumGroupsBegin(&id)) return;
        // The contact list is group 0; the table is walked in order of ids.
        do {
            if (id != 0) addGroup(id);
            id = RY_EnumGroupsNext(id);
        } while (id != 0);
    }

    void addGroup(uint64_t id) {
        kit::OwnedGroup group(RY_GetGroup(id));
        RY_GroupData data{};
        data.size = sizeof data;
        RY_GetGroupData(group.get(), &data);
        std::string title = std::string("open group ") + (data.name ? data.name : "");
        if (titles_.count(title) || !data.name || !*data.name) return;
        platform::HWND hwnd = makeWindow(title);
        titles_[title] = hwnd;
        targets_[hwnd].group = std::move(group);
    }

  public:
    static Opener*& instance() {
        static Opener* opener = nullptr;
        return opener;
    }

  private:
    platform::HWND state_ = nullptr;
    std::map<std::string, platform::HWND> titles_;
    std::map<platform::HWND, Target> targets_;
    kit::Subscription onState_;
    kit::Subscription onContact_;
    kit::Subscription onGroups_;
};

class OpenerPlugin final : public Plugin {
  public:
    void Start() override {
        opener_ = std::make_unique<Opener>();
        Opener::instance() = opener_.get();
        started = 1;
    }
    void Stop() override {
        Opener::instance() = nullptr;
        opener_.reset();
        started = 0;
    }
    const char* GetInfo() override { return ""; }

  private:
    std::unique_ptr<Opener> opener_;
};

} // namespace

using Entry = kestrova::kit::PluginEntry<OpenerPlugin>;

extern "C" {

RY_EXPORT int32_t PluginLoad(int32_t apiVersion, Plugin** out) { return Entry::load(apiVersion, out); }
RY_EXPORT int32_t PluginUnload() { return Entry::unload(); }

} // extern "C"
