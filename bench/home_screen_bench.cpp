// A group page of 1,000 members: marking it changed and painting it, which
// reads every member, sorts them into sections, lays the rows out and draws
// the rows in view, against laying out and drawing the same 1,000 names
// straight with Pango onto a surface of the page's size, in the same run.
// Prints the page's time as a ratio to the names' time at the end.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>
#include <vector>

#include "contact_list/group_page.h"
#include "kestrova/api.h"
#include "kestrova/kit/handles.h"
#include "kestrova/platform/icon_resources.h"
#include "kestrova/platform/screen.h"
#include "kestrova/platform/window.h"
#include "kestrova/ui/window_base.h"
#include "time_ratio_reporter.h"

namespace {

namespace platform = kestrova::platform;
using kestrova::shell::GroupPage;

constexpr int kMembers = 1000;
constexpr uint64_t kGroupId = 5;

std::string nameOf(int i) {
    return "Member " + std::to_string((i * 7919) % kMembers);
}

class Host : public kestrova::ui::WindowBase {
  public:
    bool make() { return create("Kestrova", platform::WS_VISIBLE, platform::workArea(), nullptr); }
};

// The group with its members, made once for the whole run.
struct Scene {
    Scene() {
        platform::standInForModule(KESTROVA_BIN_DIR "/resources", "kestrova");
        host.make();
        group = kestrova::kit::OwnedGroup(RY_GetGroup(kGroupId));
        for (int i = 0; i < kMembers; ++i) {
            std::string nickname = nameOf(i);
            RY_ContactData data{};
            data.size = sizeof data;
            data.flags = RY_CONTACT_ID | RY_CONTACT_NICKNAME | RY_CONTACT_PRESENCE | RY_CONTACT_STATUS_TEXT;
            data.contactId = 100 + static_cast<uint64_t>(i);
            data.nickname = nickname.c_str();
            data.statusText = i % 3 ? "" : "On the phone";
            data.presence = i % 4 ? RY_PRESENCE_ONLINE : RY_PRESENCE_OFFLINE;
            contacts.emplace_back(RY_CreateContact(&data));
            uint32_t flags = i % 50 ? 0 : 2;
            RY_SetGroupMember(group.get(), contacts.back().get(), &flags);
        }
        page = GroupPage::create(host.hwnd(), group.get());
        platform::moveWindow(page->hwnd(), platform::clientRect(host.hwnd()));
        platform::showWindow(page->hwnd(), platform::SW_SHOW);
    }
    Host host;
    kestrova::kit::OwnedGroup group;
    std::vector<kestrova::kit::OwnedContact> contacts;
    std::unique_ptr<GroupPage> page;
};

Scene& scene() {
    static Scene made;
    return made;
}

void BM_GroupPageRebuildAndPaint(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        s.page->refresh();
        platform::updateWindow(s.page->hwnd());
        benchmark::DoNotOptimize(s.page->rowCount());
    }
    if (s.page->rowCount() != kMembers + 4) // three headers and the group's own row
        state.SkipWithError("the page does not show every member");
}

void BM_PangoNamesBaseline(benchmark::State& state) {
    platform::Rect area = platform::clientRect(scene().page->hwnd());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, area.width(), area.height());
    cairo_t* cr = cairo_create(surface);
    PangoFontDescription* font = pango_font_description_from_string("Tahoma Bold");
    pango_font_description_set_absolute_size(font, 14 * PANGO_SCALE);
    std::vector<std::string> names;
    for (int i = 0; i < kMembers; ++i)
        names.push_back(nameOf(i));
    for (auto _ : state) {
        for (int i = 0; i < kMembers; ++i) {
            PangoLayout* layout = pango_cairo_create_layout(cr);
            pango_layout_set_font_description(layout, font);
            pango_layout_set_text(layout, names[static_cast<size_t>(i)].c_str(), -1);
            cairo_move_to(cr, 32, (i * 32) % area.height());
            pango_cairo_show_layout(cr, layout);
            g_object_unref(layout);
        }
        cairo_surface_flush(surface);
    }
    pango_font_description_free(font);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

BENCHMARK(BM_PangoNamesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupPageRebuildAndPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kestrova::bench::TimeRatioReporter reporter("BM_PangoNamesBaseline");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
