// Text at the size of the title screen's description: a 430-character
// Russian text at 18 pixels, word-wrapped in 593 pixels.
//
// BM_FirstLayout makes every glyph from nothing (fonts, outlines, AGG,
// textures) and lays the text out; BM_LayoutFromCache does the same while
// the glyph textures are already in the table; BM_CachedRedraw draws the
// laid-out text again.
#include "framework/render/IMResourceManager.h"
#include "framework/text/IMTextView.h"
#include "framework/window/IMWindow.h"
#include "platform/d3d9.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

const wchar_t kDescription[] =
    L"Тренажер развивает точность и быстроту движений мышью. По экрану плывут мыльные "
    L"пузыри разного размера: каждый нужно успеть лопнуть щелчком левой кнопки, пока он не "
    L"улетел за край экрана. С каждым новым пузырём задание становится сложнее: пузыри "
    L"уменьшаются и летят всё быстрее. В конце упражнения программа покажет, сколько пузырей "
    L"ты пропустил, сколько раз промахнулся и за какое время в среднем успевал поймать пузырь. "
    L"Удачи!!";

std::unique_ptr<IMTextView> Description()
{
    struct View : IMTextView {};
    std::unique_ptr<IMTextView> view(new View());
    view->SetRect(RECT{100, 200, 693, 436});
    view->wordWrap = true;
    const int height = 18;
    const DWORD colour = 0xFF072134u;
    view->SetFormat(&colour, nullptr, nullptr, nullptr, &height, nullptr, nullptr);
    return view;
}

void BM_FirstLayout(benchmark::State& state)
{
    IMResourceManager& manager = *IMResourceManager::Instance();
    for (auto _ : state) {
        state.PauseTiming();
        // Nothing cached: no font, no outline, no glyph texture.
        manager.fonts.reset();
        std::unique_ptr<IMTextView> view = Description();
        state.ResumeTiming();
        view->SetText(kDescription);
        benchmark::DoNotOptimize(view->GetGlyphCount());
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
    state.counters["glyphs"] = static_cast<double>(std::wstring(kDescription).size());
}

void BM_LayoutFromCache(benchmark::State& state)
{
    std::unique_ptr<IMTextView> holder = Description();
    holder->SetText(kDescription);
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<IMTextView> view = Description();
        state.ResumeTiming();
        view->SetText(kDescription);
        benchmark::DoNotOptimize(view->GetGlyphCount());
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
}

void BM_CachedRedraw(benchmark::State& state)
{
    IMResourceManager& manager = *IMResourceManager::Instance();
    IDirect3DDevice9* device = manager.Device();
    std::unique_ptr<IMTextView> view = Description();
    view->SetText(kDescription);
    device->BeginScene();
    for (auto _ : state) {
        view->Draw();
    }
    device->EndScene();
    state.counters["lines"] = static_cast<double>(view->GetLineStarts().size());
}

BENCHMARK(BM_FirstLayout)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LayoutFromCache)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CachedRedraw)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const RECT rect{0, 0, 800, 600};
    IMWindow* window = IMWindow::Create(nullptr, &rect, L"Text benchmark", false, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete window;
    return 0;
}
