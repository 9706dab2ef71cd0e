// The weeks of a player who leaves the game open, as 200 games in a row in one window: each round
// a new 30 x 30 game of the folder's next picture, 500 moves, all taken back and made again, a
// save and a load, and a change of DPI there and back, the decoder process started anew every 50
// rounds (tests/support/SoakRound.h). Prints every 50 rounds the process's GDI and USER objects,
// handles and memory, each against its criterion, and exits non-zero when one fails: GDI objects
// exactly as after the first round, USER objects within 2 and handles within a few of it, and
// memory growing less than 1 KB a round from round 50 to round 200, once warmed up. The growth is
// the slope through the memory of every fifth round, when the same picture is on screen: the
// heap now and then holds on to a block of 64 or 128 KB for a while, and one such figure at round
// 200 alone would pass for a leak.
#include "Include/PictureDecoderServer.h"
#include "tests/bench/win/BenchMeasure.h"
#include "tests/bench/win/BenchWindow.h"
#include "tests/support/ProcessResources.h"
#include "tests/support/RecordingErrorView.h"
#include "tests/support/SoakRound.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

const int Rounds = 200;
const int ReportEvery = 50;
const int RestartDecoderEvery = 50;
const int WarmUpRounds = 50;
const double MostGrowthPerRound = 1024;

// The growth a round of a figure sampled now and then: the slope of its least-squares line.
class TGrowth {
public:
    void Add(int round, uint64_t bytes) {
        const double x = round, y = static_cast<double>(bytes);
        ++samples_;
        sumX_ += x;
        sumY_ += y;
        sumXY_ += x * y;
        sumXX_ += x * x;
    }
    double PerRound() const {
        const double spread = samples_ * sumXX_ - sumX_ * sumX_;
        return spread > 0 ? (samples_ * sumXY_ - sumX_ * sumY_) / spread : 0;
    }

private:
    double samples_ = 0, sumX_ = 0, sumY_ = 0, sumXY_ = 0, sumXX_ = 0;
};

struct TMemoryGrowth {
    TGrowth Private, HeapUsed, HeapCommitted;
    void Add(int round, const TProcessResources& figures) {
        Private.Add(round, figures.PrivateBytes);
        HeapUsed.Add(round, figures.HeapUsedBytes);
        HeapCommitted.Add(round, figures.HeapCommittedBytes);
    }
};

const char* Verdict(bool passed) { return passed ? "PASS" : "FAIL"; }

double Megabytes(uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

int Difference(uint32_t now, uint32_t start) { return static_cast<int>(now) - static_cast<int>(start); }

void PrintSources(const TProcessResources& figures) {
    std::printf("GDI objects: %s\n", figures.GdiFromSystem ? "GetGuiResources"
                                                           : "live entries of the process's GDI handle table "
                                                             "(GetGuiResources answers 0)");
    std::printf("USER objects: %s\n", figures.UserFromSystem ? "GetGuiResources"
                                                             : "the process's windows, menus and accelerator tables "
                                                               "(GetGuiResources answers 0)");
    std::printf("handles: %s\n", figures.HandlesFromSystem ? "GetProcessHandleCount"
                                                           : "live entries of the process's handle table "
                                                             "(GetProcessHandleCount answers 0)");
    std::printf("private memory: %s\n",
                figures.PrivateFromPrivateUsage ? "PrivateUsage" : "PagefileUsage (PrivateUsage answers 0)");
    std::printf("heap: the blocks in use (Wine's HeapWalk shows those under half a megabyte) and the memory "
                "committed, of every heap\n");
}

// Every criterion, passed until a figure fails it.
struct TVerdicts {
    bool GdiBack = true, UserNear = true, HandlesFlat = true;
    bool PrivateSlow = true, HeapUsedSlow = true, HeapCommittedSlow = true;
    bool All() const { return GdiBack && UserNear && HandlesFlat && PrivateSlow && HeapUsedSlow && HeapCommittedSlow; }
};

// Each count against the one after the first round, with its criterion's verdict.
void PrintCounts(int round, double seconds, const TProcessResources& now, const TProcessResources& start,
                 TVerdicts& verdicts) {
    const int gdi = Difference(now.GdiObjects, start.GdiObjects), user = Difference(now.UserObjects, start.UserObjects),
              handles = Difference(now.Handles, start.Handles);
    const bool gdiBack = gdi == 0, userNear = std::abs(user) <= soak::UserSlack,
               handlesFlat = handles <= soak::HandleSlack;
    std::printf("round %3d after %4.0f s: GDI %u (%+d, exactly as after round 1: %s), USER %u (%+d, within %d: %s), "
                "handles %u (%+d, at most %+d: %s)\n",
                round, seconds, now.GdiObjects, gdi, Verdict(gdiBack), now.UserObjects, user, soak::UserSlack,
                Verdict(userNear), now.Handles, handles, soak::HandleSlack, Verdict(handlesFlat));
    verdicts.GdiBack = verdicts.GdiBack && gdiBack;
    verdicts.UserNear = verdicts.UserNear && userNear;
    verdicts.HandlesFlat = verdicts.HandlesFlat && handlesFlat;
}

// One figure of memory and its growth a round since the warm-up; the last round's growth is
// the one the criterion judges.
void PrintMemory(const char* name, uint64_t now, const TGrowth& growth, int round, bool& slow) {
    std::printf("    %s %.2f MB", name, Megabytes(now));
    if (round > WarmUpRounds) {
        std::printf(", %+.0f bytes a round since round %d", growth.PerRound(), WarmUpRounds);
        if (round == Rounds) {
            slow = growth.PerRound() < MostGrowthPerRound;
            std::printf(" (under %.0f: %s)", MostGrowthPerRound, Verdict(slow));
        }
    }
    std::printf("\n");
}

void PrintVerdicts(const TVerdicts& verdicts) {
    std::printf("GDI objects exactly as after round 1: %s\n", Verdict(verdicts.GdiBack));
    std::printf("USER objects within %d of round 1: %s\n", soak::UserSlack, Verdict(verdicts.UserNear));
    std::printf("handles at most %d over round 1: %s\n", soak::HandleSlack, Verdict(verdicts.HandlesFlat));
    std::printf("private memory under %.0f bytes a round from round %d to %d: %s\n", MostGrowthPerRound, WarmUpRounds,
                Rounds, Verdict(verdicts.PrivateSlow));
    std::printf("heap in use under %.0f bytes a round: %s\n", MostGrowthPerRound, Verdict(verdicts.HeapUsedSlow));
    std::printf("heap committed under %.0f bytes a round: %s\n", MostGrowthPerRound,
                Verdict(verdicts.HeapCommittedSlow));
}

}  // namespace

int main() {
    // Started as its own picture decoder process, the program serves that and nothing else.
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    TBenchGameWindow window;
    TTilvaneFormTestAccess& inside = window.Inside;
    const TRecordedFailures failures;  // a failure is counted, not shown in a dialog that would stop the run
    const soak::TPictureFolder pictures;
    if (!pictures.Ready()) {
        std::printf("the test pictures are missing from %s (scripts/make-test-pictures.sh)\n",
                    soak::TPictureFolder::StagedPictures);
        return 1;
    }
    inside.LoadGameFromPicture(pictures.FirstPicture());
    std::mt19937 random(20240611);

    const double start = Now();
    TProcessResources afterFirstRound;
    TMemoryGrowth growth;
    TVerdicts verdicts;
    for (int round = 1; round <= Rounds; ++round) {
        const std::string failure =
            soak::PlayRound(inside, pictures.GameFile(), random, round % RestartDecoderEvery == 0);
        if (!failure.empty() || !failures.View.Descriptions.empty()) {
            std::printf("round %d failed: %s\n", round,
                        failure.empty() ? failures.View.Descriptions.front().c_str() : failure.c_str());
            return 1;
        }
        if (round == 1) {
            afterFirstRound = CountProcessResources();
            PrintSources(afterFirstRound);
            std::printf("after round 1: GDI %u, USER %u, handles %u\n", afterFirstRound.GdiObjects,
                        afterFirstRound.UserObjects, afterFirstRound.Handles);
        }
        if (round < WarmUpRounds || round % soak::PictureCount != 0) continue;
        const TProcessResources now = CountProcessResources();
        growth.Add(round, now);
        if (round % ReportEvery != 0) continue;
        PrintCounts(round, Now() - start, now, afterFirstRound, verdicts);
        PrintMemory("private memory", now.PrivateBytes, growth.Private, round, verdicts.PrivateSlow);
        PrintMemory("heap in use", now.HeapUsedBytes, growth.HeapUsed, round, verdicts.HeapUsedSlow);
        PrintMemory("heap committed", now.HeapCommittedBytes, growth.HeapCommitted, round, verdicts.HeapCommittedSlow);
    }
    std::printf("%d rounds in %.0f s, %u decoder processes started\n", Rounds, Now() - start,
                DecoderProcessesStarted());
    PrintVerdicts(verdicts);
    std::printf("%s\n", verdicts.All() ? "PASS" : "FAIL");
    return verdicts.All() ? 0 : 1;
}
