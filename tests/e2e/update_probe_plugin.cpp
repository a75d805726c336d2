// A plug-in for the end-to-end update test, built twice (PROBE_RELEASE 1 and
// 2) so that two releases of the program differ in one plug-in. Through
// automation it shows:
// - which release of it the program loaded: a hidden window titled
//   "update probe <release>";
// - what the plug-ins put on the overview: a hidden window titled
//   "overview log" whose one child's text has one line per call of the
//   overview's functions. It stands in for those functions, passing each call on to the
//   shell's own when the shell has them.
#include "kestrova/api.h"
#include "kestrova/bus.h"
#include "kestrova/bus_records.h"
#include "kestrova/kit/bindings.h"
#include "kestrova/kit/plugin_entry.h"
#include "kestrova/platform/controls.h"
#include "kestrova/platform/window.h"

#include <string>
#include <vector>

namespace {

using namespace kestrova;

constexpr char kClass[] = "UpdateProbe";

platform::LResult probeProc(platform::HWND hwnd, uint32_t message, platform::WParam wParam,
                            platform::LParam lParam) {
    return platform::defWindowProc(hwnd, message, wParam, lParam);
}

platform::HWND hiddenWindow(const char* title) {
    platform::CreateParams params;
    params.className = kClass;
    params.title = title;
    params.style = platform::WS_POPUP;
    return platform::createWindow(params);
}

std::string textOf(const char* text) {
    return text ? text : "(null)";
}

// A function of the overview as it was before the probe came: its procedure,
// if the shell had registered one.
struct Previous {
    NamedFunctionProc proc = nullptr;
    void* context = nullptr;

    explicit Previous(const char* name) { RY_GetFunctionProcAddress(name, &proc, &context); }
    bool there() const { return proc != nullptr; }
    intptr_t call(const void* arg) const { return proc(context, const_cast<void*>(arg)); }
};

class ProbePlugin final : public Plugin {
  public:
    void Start() override {
        platform::WindowClass windowClass;
        windowClass.name = kClass;
        windowClass.proc = probeProc;
        platform::registerClass(windowClass);
        release_.reset(hiddenWindow("update probe " PROBE_RELEASE));
        log_.reset(hiddenWindow("overview log"));
        lines_ = platform::createControl("STATIC", "", 0, platform::Rect{}, log_.get(), 1);
        standInForOverview();
        started = 1;
    }
    void Stop() override {
        functions_.clear();
        log_.reset();
        release_.reset();
        started = 0;
    }
    const char* GetInfo() override { return ""; }

  private:
    void note(const std::string& line) {
        platform::setWindowText(lines_, platform::windowText(lines_) + line + "\n");
    }

    void standInForOverview() {
        Previous create(names::kOverviewCreateSection.name), add(names::kOverviewAddStaticItem.name),
            update(names::kOverviewUpdateStaticItem.name), remove(names::kOverviewDeleteItem.name);
        functions_.push_back(kit::registerFunction(
            names::kOverviewCreateSection, [this, create](const RY_OverviewSectionArgs* a) -> void* {
                note("section " + textOf(a->key) + " " + textOf(a->title));
                return create.there() ? reinterpret_cast<void*>(create.call(a)) : &section_;
            }));
        functions_.push_back(kit::registerFunction(
            names::kOverviewAddStaticItem, [this, add](const RY_OverviewItemArgs* a) -> void* {
                note("add " + textOf(a->title) + " / " + textOf(a->text) + " icon=" + textOf(a->iconName));
                return add.there() ? reinterpret_cast<void*>(add.call(a))
                                   : reinterpret_cast<void*>(++lastItem_);
            }));
        functions_.push_back(kit::registerFunction(
            names::kOverviewUpdateStaticItem, [this, update](const RY_OverviewItemArgs* a) -> int32_t {
                note("update " + textOf(a->title) + " / " + textOf(a->text));
                return update.there() ? static_cast<int32_t>(update.call(a)) : 1;
            }));
        functions_.push_back(
            kit::registerFunction(names::kOverviewDeleteItem, [this, remove](void* item) -> int32_t {
                note("delete");
                return remove.there() ? static_cast<int32_t>(remove.call(item)) : 1;
            }));
    }

    platform::UniqueWindow release_;
    platform::UniqueWindow log_;
    platform::HWND lines_ = nullptr; // the log's text, a child of log_
    int section_ = 0;
    intptr_t lastItem_ = 0; // item handles of the stand-in: 1, 2, ...
    std::vector<kit::RegisteredFunction> functions_;
};

using Entry = kit::PluginEntry<ProbePlugin>;

} // namespace

extern "C" {

RY_EXPORT int32_t PluginLoad(int32_t apiVersion, Plugin** out) {
    return Entry::load(apiVersion, out);
}
RY_EXPORT int32_t PluginUnload() {
    return Entry::unload();
}

} // extern "C"
