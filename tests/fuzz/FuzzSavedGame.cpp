// Arbitrary bytes as a saved game: whatever the reader makes of them, writing that record and
// reading it back gives the same record, and writing it again gives the same bytes.
#include "Tilvane/Core/GameFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "FuzzSavedGame: %s\n", what);
    std::abort();
}

bool SameCell(const PieceCell& a, const PieceCell& b) {
    return a.SourceColumn == b.SourceColumn && a.SourceRow == b.SourceRow && a.FlipHorizontal == b.FlipHorizontal &&
           a.FlipVertical == b.FlipVertical;
}

void CheckSameGame(const TSavedGame& a, const TSavedGame& b) {
    Check(a.Keys == b.Keys, "common keys changed");
    Check(a.Board.ResultedColumns == b.Board.ResultedColumns && a.Board.ResultedRows == b.Board.ResultedRows,
          "grid changed");
    Check(a.Board.MovesCount() == b.Board.MovesCount() && a.Board.WrongMoves() == b.Board.WrongMoves(),
          "counters changed");
    Check(a.PlaySeconds == b.PlaySeconds && a.PlaySeconds >= 0, "play time changed or negative");
    for (int32_t row = 0; row < a.Board.ResultedRows; ++row)
        for (int32_t column = 0; column < a.Board.ResultedColumns; ++column)
            Check(SameCell(a.Board.Pieces[column][row], b.Board.Pieces[column][row]), "a cell changed");
}

std::string Written(const TSavedGame& game) {
    TTextStore store;
    WriteGame(store, game);
    return store.ToBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TCommonKeys defaults{7, 7, true, "C:\\Pictures\\Default.jpg"};
    TTextStore input;
    input.Parse(std::string(reinterpret_cast<const char*>(data), size));
    const TSavedGame first = ReadGame(input, defaults);
    Check(first.Board.ResultedColumns >= 1 && first.Board.ResultedColumns <= TPuzzleBoard::MaxColumns &&
              first.Board.ResultedRows >= 1 && first.Board.ResultedRows <= TPuzzleBoard::MaxRows,
          "grid outside 1..30 from in-range defaults");

    const std::string bytes = Written(first);
    TTextStore again;
    again.Parse(bytes);
    const TSavedGame second = ReadGame(again, defaults);
    CheckSameGame(first, second);
    Check(Written(second) == bytes, "second write gave other bytes");
    return 0;
}
