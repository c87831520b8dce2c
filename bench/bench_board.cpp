// Painting the whole board at 48-pixel squares, and one frame of a moving
// piece (the sprite composed from its background).
// bench-libs: qm_board
#include "board/BoardView.h"
#include "platform/headless/HeadlessWindow.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using namespace qm;

struct Board {
    Board()
        : window({480, 640}, 0, clock)
        , view(window, settings, client)
    {
        position.setFromFen("r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5");
        view.setGamePosition(&position);
        view.setClientRect(window.canvas().bounds());
        view.loadGraphics(std::filesystem::path(__FILE__).parent_path() / ".." / "resources" / "bitmaps");
        view.selectLayout(8, 0);
        view.setLastMoveArrow(CMove(makeSquare(6, 7), BlackKnight, makeSquare(5, 5), Empty));
        view.setPicks(makeSquare(2, 3), NoPick);
    }
    CManualClock clock;
    CHeadlessWindow window;
    CGeneralSettings settings;
    IBoardClient client;
    CBoardView view;
    CPosition position;
};

void fullBoardPaint(benchmark::State& state)
{
    Board b;
    CCanvas& canvas = b.window.canvas();
    for (auto _ : state) {
        b.view.paint(canvas, canvas.bounds());
        benchmark::DoNotOptimize(canvas.pixel(100, 100));
    }
}
BENCHMARK(fullBoardPaint)->Unit(benchmark::kMicrosecond);

void animationFrame(benchmark::State& state)
{
    Board b;
    b.settings.animation = 1;
    const Rect from = b.view.squareRect(makeSquare(1, 0)), to = b.view.squareRect(makeSquare(2, 2));
    b.view.beginSprite(WhiteKnight, from.left + 24, from.top + 24);
    int i = 0;
    for (auto _ : state) {
        const int t = i++ % 32;
        b.view.moveSprite(
            WhiteKnight, from.left + 24 + (to.left - from.left) * t / 32, from.top + 24 + (to.top - from.top) * t / 32);
    }
    b.view.endSprite(WhiteKnight, from.left + 24, from.top + 24);
}
BENCHMARK(animationFrame)->Unit(benchmark::kMicrosecond);

} // namespace
