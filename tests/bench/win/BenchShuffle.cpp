// Times the real generator and a full shuffle with flips, as the Randomize command runs it.
#include "Include/Myrandom.h"
#include "Tilvane/Core/PuzzleBoard.h"

#include <windows.h>

#include <cstdio>

namespace {

double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end, const LARGE_INTEGER& frequency) {
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    SeedRandom();
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);

    const int draws = 2000000;
    volatile int32_t sink = 0;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < draws; ++i) sink = sink ^ Random.GetRandom();
    QueryPerformanceCounter(&end);
    std::printf("GetRandom: %.1f ns per call (%d calls)\n", Seconds(start, end, frequency) * 1e9 / draws, draws);

    TPuzzleBoard board;
    board.ResultedColumns = board.ResultedRows = 30;
    board.ResetPieces(30, 30);
    const TPuzzleBoard::TRandomSource source = [] { return Random.GetRandom(); };
    const int shuffles = 2000;
    int32_t misplaced = 0;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < shuffles; ++i) {
        board.ResetCounters();
        board.ShufflePieces(true, source);
        misplaced += board.CountMisplacedPieces();
    }
    QueryPerformanceCounter(&end);
    std::printf("shuffle 30x30: %.3f ms per shuffle (%d runs)\n", Seconds(start, end, frequency) * 1e3 / shuffles,
                shuffles);
    std::printf("misplaced after a shuffle: %.1f of 900 on average\n", static_cast<double>(misplaced) / shuffles);
    return 0;
}
