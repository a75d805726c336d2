// Painting a full screen of a 1,000-message view (bubbles, names, times,
// icons, wrapped text) against drawing the same visible texts straight with
// Pango on a surface of the same size, in the same run. Prints the ratio.
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include "kestrova/platform/dc.h"
#include "kestrova/platform/message_loop.h"
#include "time_ratio_reporter.h"
#include "view_scene_bench.h"

namespace {

using kestrova::messaging::MessageView;
namespace platform = kestrova::platform;

constexpr size_t kMessages = 1000;

kestrova::bench::ViewBenchScene& scene() {
    static kestrova::bench::ViewBenchScene s;
    return s;
}

MessageView& fullView() {
    static std::unique_ptr<MessageView> view = [] {
        auto v = scene().makeView();
        for (size_t i = 0; i < kMessages; ++i)
            v->append(scene().message(i));
        platform::pumpPendingMessages();
        return v;
    }();
    return *view;
}

void BM_PaintView(benchmark::State& state) {
    MessageView& view = fullView();
    for (auto _ : state) {
        platform::invalidateRect(view.hwnd(), nullptr, false);
        platform::updateWindow(view.hwnd());
    }
}
BENCHMARK(BM_PaintView)->Unit(benchmark::kMicrosecond);

// The texts the view shows on its screen, each laid out and drawn by Pango
// where the view puts it.
void BM_PangoVisibleTexts(benchmark::State& state) {
    MessageView& view = fullView();
    const auto& m = view.metrics();
    platform::Rect client = platform::clientRect(view.hwnd());
    struct Shown {
        std::string text;
        int top;
    };
    std::vector<Shown> shown;
    for (size_t i = 0; i < view.count(); ++i) {
        platform::Rect e = view.extent(i).offset(0, -view.scrollPosition());
        if (e.bottom <= 0 || e.top >= client.bottom) continue;
        shown.push_back({kestrova::bench::ViewBenchScene::text(i), e.top + m.headerHeight / 2});
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, client.width(), client.height());
    cairo_t* cr = cairo_create(surface);
    int width = m.contentRight(client.width()) - m.contentLeft();
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        for (const Shown& s : shown) {
            PangoLayout* layout = pango_cairo_create_layout(cr);
            pango_layout_set_font_description(layout, m.normalFont.description());
            pango_layout_set_text(layout, s.text.data(), static_cast<int>(s.text.size()));
            pango_layout_set_width(layout, width * PANGO_SCALE);
            pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
            cairo_move_to(cr, m.contentLeft(), s.top);
            pango_cairo_show_layout(cr, layout);
            g_object_unref(layout);
        }
        cairo_surface_flush(surface);
    }
    state.counters["texts"] = static_cast<double>(shown.size());
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_PangoVisibleTexts)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    kestrova::bench::TimeRatioReporter reporter("BM_PangoVisibleTexts");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
