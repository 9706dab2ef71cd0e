// Every file the fuzzers keep (the corpora of the picture decoders and of the header reader, and
// the shared seeds), loaded as the game loads a picture, through the decoder process: damaged,
// truncated and hostile files, each of which must come back quickly as a picture or a message
// without harming the game. Prints how many gave which answer, the slowest loads, how many
// decoder processes were started (one more for each that ended on a file) and the game's peak
// memory. scripts/run-benchmarks.sh stages the files into C:\Tilvane\hostile.
//   BenchHostilePictures [FOLDER]
#include "Include/Core/FunStat.h"
#include "Include/MyGDIPlus.h"
#include "Include/PictureDecoderClient.h"
#include "Include/PictureDecoderServer.h"
#include "tests/bench/win/BenchMeasure.h"
#include "tests/support/GdiplusPictures.h"
#include "tests/support/TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// The game's areas on a large screen.
const std::vector<TPictureSize> GameAreas = {{1190, 880}, {440, 500}};
const size_t SlowestShown = 5;

struct TLoad {
    double Seconds = 0;
    std::string Name;
    std::string Answer;  // "loaded W x H", or the message the player would read
};

TLoad Load(const std::string& folder, const std::string& name) {
    TLoad load;
    load.Name = name;
    const double started = Now();
    const std::unique_ptr<TPicture> picture = LoadPictureFile(folder + "\\" + name, GameAreas);
    load.Seconds = Now() - started;
    if (picture) {
        load.Answer = "loaded";
    } else {
        load.Answer = CurrentFunStatContext.Description;
        CurrentFunStatContext.Reset(fsPerfect);
    }
    return load;
}

// A message names the file in some wordings; the answers are counted by their first line.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

// Answers that differ in their numbers only (the sizes of pictures too large) are one kind.
std::string Kind(const std::string& answer) {
    std::string kind;
    for (const char c : FirstLine(answer)) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit) kind += c;
        else if (kind.empty() || kind.back() != 'N') kind += 'N';
    }
    return kind;
}

void Report(std::vector<TLoad> loads, double seconds, uint32_t processes) {
    std::map<std::string, int> answers;
    for (const TLoad& load : loads) ++answers[Kind(load.Answer)];
    std::printf("%zu files in %.1f s; %u decoder processes started\n", loads.size(), seconds, processes);
    for (const auto& [answer, count] : answers) std::printf("  %5d  %s\n", count, answer.c_str());
    std::sort(loads.begin(), loads.end(), [](const TLoad& a, const TLoad& b) { return a.Seconds > b.Seconds; });
    std::printf("slowest:\n");
    for (size_t n = 0; n < std::min(SlowestShown, loads.size()); ++n)
        std::printf("  %8.1f ms  %s: %s\n", loads[n].Seconds * 1e3, loads[n].Name.c_str(),
                    FirstLine(loads[n].Answer).c_str());
    std::printf("game's peak memory %.1f MB\n", PeakMegabytes());
}

}  // namespace

int main(int argc, char** argv) {
    // Started as its own picture decoder process, the program serves that and nothing else.
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    const TGdiplusSession gdiplus;
    const std::string folder = argc > 1 ? argv[1] : "C:\\Tilvane\\hostile";
    std::vector<std::string> names = EntriesOf(folder);
    std::sort(names.begin(), names.end());
    if (names.empty()) {
        std::printf("no files in %s\n", folder.c_str());
        return 1;
    }
    std::vector<TLoad> loads;
    const double started = Now();
    for (const std::string& name : names) loads.push_back(Load(folder, name));
    Report(loads, Now() - started, DecoderProcessesStarted());
    EndPictureDecoder();
    return 0;
}
