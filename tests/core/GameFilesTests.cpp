// The saved-game and options files: what the readers accept, what they keep, and the exact bytes
// the writers produce.
#include "Tilvane/Core/GameFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TTextStore Parsed(const std::string& text) {
    TTextStore store;
    store.Parse(text);
    return store;
}

TSavedGame GameFrom(const std::string& text, const TCommonKeys& defaults = {}) {
    return ReadGame(Parsed(text), defaults);
}

std::vector<std::string> KeysOf(const TTextSection& section) {
    std::vector<std::string> keys;
    for (const std::string& line : section.Lines) keys.push_back(line.substr(0, line.find('=')));
    return keys;
}

bool SameCell(const PieceCell& a, const PieceCell& b) {
    return a.SourceColumn == b.SourceColumn && a.SourceRow == b.SourceRow && a.FlipHorizontal == b.FlipHorizontal &&
           a.FlipVertical == b.FlipVertical;
}

const TCommonKeys Shown{9, 11, true, "C:\\Shown.jpg"};

TEST(GameFilesCommonKeys, UnacceptableValuesKeepWhatTheWindowShows) {
    const std::string tooLong = "PictureTitle=" + std::string(260, 'p');
    const std::vector<std::string> texts = {"", "[TilvaneGame]\r\nColumnsCount=4\r\nRowsCount=31\r\n",
                                            "[TilvaneGame]\r\nColumnsCount=seven\r\nRowsCount=\r\n" + tooLong};
    for (const std::string& text : texts) {
        const TCommonKeys keys = ReadCommonKeys(Parsed(text), Shown);
        EXPECT_EQ(keys.ColumnsCount, 9) << text;
        EXPECT_EQ(keys.RowsCount, 11) << text;
        EXPECT_EQ(keys.PicturePath, "C:\\Shown.jpg") << text;
        EXPECT_FALSE(keys.LightGrid) << "a missing LightGrid is off, whatever the window shows";
    }
}

TEST(GameFilesCommonKeys, AcceptsTheWholeRangeAndOnlyExactTrue) {
    const std::string longest(259, 'p');
    TCommonKeys keys = ReadCommonKeys(
        Parsed("[tilvanegame]\r\ncolumnscount=$1E\r\nRowsCount=5\r\nLightGrid=TRUE\r\nPictureTitle=" + longest), Shown);
    EXPECT_EQ(keys, (TCommonKeys{30, 5, true, longest})) << "hexadecimal, letter case of names ignored";
    keys = ReadCommonKeys(Parsed("[TilvaneGame]\r\nLightGrid=True\r\nPictureTitle=\r\n"), Shown);
    EXPECT_FALSE(keys.LightGrid);
    EXPECT_EQ(keys.PicturePath, "") << "an empty picture is a game without one";
}

// A path in another script takes up to four bytes a character; the limit is in characters.
TEST(GameFilesCommonKeys, PathLimitCountsCharacters) {
    std::string longest = "C:\\";
    while (longest.size() < 3 + 255 * 3) longest += "\xE6\x9D\xB1";  // 255 CJK characters
    longest += "\xF0\x9F\x98\x80";                               // and an emoji: 259 in all
    TCommonKeys keys = ReadCommonKeys(Parsed("[TilvaneGame]\r\nPictureTitle=" + longest), Shown);
    EXPECT_EQ(keys.PicturePath, longest) << "259 characters in " << longest.size() << " bytes";
    keys = ReadCommonKeys(Parsed("[TilvaneGame]\r\nPictureTitle=" + longest + "\xCE\xB1"), Shown);
    EXPECT_EQ(keys.PicturePath, Shown.PicturePath) << "260 characters";
    const TGameOptions read = ReadOptions(Parsed("[TilvaneGame]\r\nLastGameTitle=" + longest), TGameOptions{});
    EXPECT_EQ(read.LastGamePath, longest);
}

TEST(GameFilesReadGame, GridAndCountersFallBackToTheirDefaults) {
    TSavedGame game = GameFrom("[TilvaneGame]\r\nColumnsCount=8\r\nRowsCount=6\r\nResultedColumns=31\r\n"
                               "ResultedRows=0\r\nMovesCount=-1\r\nWrongMoves=x\r\nPlayTime=-5\r\n");
    EXPECT_EQ(game.Board.ResultedColumns, 8) << "the ColumnsCount just read, not the window's";
    EXPECT_EQ(game.PlaySeconds, 0);
    EXPECT_EQ(game.Board.ResultedRows, 6);
    EXPECT_EQ(game.Board.MovesCount(), 0);
    EXPECT_EQ(game.Board.WrongMoves(), 0);

    game = GameFrom("[TilvaneGame]\r\nResultedColumns=1\r\nResultedRows=0x1e\r\nMovesCount=2147483647\r\n"
                    "WrongMoves=$10\r\n");
    EXPECT_EQ(game.Board.ResultedColumns, 1) << "a saved grid may be smaller than any list choice";
    EXPECT_EQ(game.Board.ResultedRows, 30);
    EXPECT_EQ(game.Board.MovesCount(), 2147483647);
    EXPECT_EQ(game.Board.WrongMoves(), 16);
    EXPECT_EQ(game.PlaySeconds, 0) << "a game saved before the clock starts at 0:00";
    EXPECT_FALSE(game.ShuffledWithFlipping.has_value()) << "a game saved before its flipping was kept";
}

TEST(GameFilesReadGame, MissingOrBadCellsKeepTheirOwnPiece) {
    const TSavedGame inOrder = GameFrom("[TilvaneGame]\r\nResultedColumns=3\r\nResultedRows=2\r\n");
    EXPECT_TRUE(IsPlayableGame(inOrder)) << "a file without a map is a game in order";
    EXPECT_EQ(inOrder.Board.CountMisplacedPieces(), 0);

    const TSavedGame game = GameFrom("[TilvaneGame]\r\nResultedColumns=3\r\nResultedRows=2\r\n[Map]\r\n"
                                     "C0=3\r\nR0=1\r\nFH0=TRUE\r\nFV0=true\r\n"
                                     "C4=-1\r\nR4=2\r\n"
                                     "C5=0\r\nR5=0\r\nC6=2\r\nR6=1\r\n");
    EXPECT_TRUE(SameCell(game.Board.Pieces[0][0], {0, 1, true, false})) << "C equal to the grid is outside it";
    EXPECT_TRUE(SameCell(game.Board.Pieces[1][1], {1, 1, false, false}));
    EXPECT_TRUE(SameCell(game.Board.Pieces[2][1], {0, 0, false, false})) << "n = row * columns + column";
    EXPECT_TRUE(SameCell(game.Board.Pieces[0][2], {0, 2, false, false})) << "numbers beyond the grid are not read";
    EXPECT_FALSE(IsPlayableGame(game)) << "piece 0,1 stands twice, piece 2,1 nowhere";
}

TEST(GameFilesReadGame, GridOutsideTheArrayIsClampedWhenTheDefaultsAreBad) {
    TSavedGame empty = GameFrom("[TilvaneGame]\r\n", TCommonKeys{0, -3, false, ""});
    EXPECT_EQ(empty.Board.ResultedColumns, 0) << "a list without a selection gives no grid";
    EXPECT_EQ(empty.Board.ResultedRows, 0);
    EXPECT_FALSE(IsPlayableGame(empty));

    TSavedGame large = GameFrom("[Map]\r\nC899=0\r\nR899=0\r\n", TCommonKeys{45, 31, false, ""});
    EXPECT_EQ(large.Keys.ColumnsCount, 45);
    EXPECT_EQ(large.Board.ResultedColumns, 30);
    EXPECT_EQ(large.Board.ResultedRows, 30);
    EXPECT_TRUE(SameCell(large.Board.Pieces[29][29], {0, 0, false, false}));
}

TEST(GameFilesWriteGame, WritesTheWindowsBytes) {
    TTextStore store = Parsed("[Old]\r\nkey=1\r\n");
    TSavedGame game;
    game.Keys = {7, 5, true, "C:\\Pictures\\Lake.jpg"};
    game.Board.ResetPieces(2, 1);
    game.Board.ResultedColumns = 2;
    game.Board.ResultedRows = 1;
    game.Board.SwapPieces(0, 0, 1, 0);
    game.Board.Pieces[0][0].FlipVertical = true;
    game.Board.RestoreCounters(12, 3);
    game.PlaySeconds = 187;
    game.ShuffledWithFlipping = true;
    WriteGame(store, game);
    EXPECT_EQ(store.ToBytes(),
              "[TilvaneGame]\r\nColumnsCount=7\r\nRowsCount=5\r\nLightGrid=TRUE\r\n"
              "PictureTitle=C:\\Pictures\\Lake.jpg\r\n"
              "ResultedColumns=2\r\nResultedRows=1\r\nMovesCount=12\r\nWrongMoves=3\r\nPlayTime=187\r\n"
              "AllowFlip=TRUE\r\n\r\n"
              "[Map]\r\nC0=1\r\nR0=0\r\nFH0=FALSE\r\nFV0=TRUE\r\nC1=0\r\nR1=0\r\nFH1=FALSE\r\nFV1=FALSE\r\n\r\n");
}

TEST(GameFilesWriteGame, FullGridWritesEveryCellInOrder) {
    TSavedGame game;
    game.Board.ResultedColumns = 30;
    game.Board.ResultedRows = 30;
    TTextStore store;
    WriteGame(store, game);
    ASSERT_EQ(store.Sections().size(), 2u);
    const std::vector<std::string> keys = KeysOf(store.Sections()[1]);
    ASSERT_EQ(keys.size(), 3600u);
    EXPECT_EQ(keys.front(), "C0");
    EXPECT_EQ(keys[4 * 31 + 1], "R31");
    EXPECT_EQ(keys.back(), "FV899");
    EXPECT_EQ(store.Sections()[1].Lines[4 * 31], "C31=1") << "cell 31 is row 1, column 1";
}

TEST(GameFilesRoundTrip, WrittenGameReadsAsTheSameRecord) {
    TSavedGame game;
    game.Keys = {12, 9, false, ""};
    game.Board.ResultedColumns = 12;
    game.Board.ResultedRows = 9;
    game.Board.ShufflePieces(true, [n = 0]() mutable { return n += 7919; });
    game.Board.RestoreCounters(2147483647, 40);
    game.PlaySeconds = 2147483647;
    game.ShuffledWithFlipping = false;
    TTextStore store;
    WriteGame(store, game);
    const TSavedGame read = ReadGame(Parsed(store.ToBytes()), Shown);
    EXPECT_EQ(read.Keys, game.Keys);
    EXPECT_EQ(read.PlaySeconds, 2147483647);
    EXPECT_EQ(read.ShuffledWithFlipping, std::optional<bool>(false));
    EXPECT_EQ(read.Board.MovesCount(), 2147483647);
    EXPECT_EQ(read.Board.WrongMoves(), 40);
    ASSERT_EQ(read.Board.ResultedColumns, 12);
    ASSERT_EQ(read.Board.ResultedRows, 9);
    for (int32_t row = 0; row < 9; ++row)
        for (int32_t column = 0; column < 12; ++column)
            EXPECT_TRUE(SameCell(read.Board.Pieces[column][row], game.Board.Pieces[column][row]))
                << column << "," << row;
    EXPECT_TRUE(IsPlayableGame(read));
}

TEST(GameFilesOptions, WriterHoldsExactlyTheSevenKeysInOrder) {
    TTextStore store = Parsed("[TilvaneGame]\r\nLastGameTitle=old\r\nExtra=1\r\n[Other]\r\nx=y\r\n");
    const TGameOptions options{{6, 30, false, "C:\\P.png"}, true, "C:\\Games\\A.tvg", false};
    WriteOptions(store, options);
    EXPECT_EQ(store.ToBytes(), "[TilvaneGame]\r\nColumnsCount=6\r\nRowsCount=30\r\nLightGrid=FALSE\r\n"
                               "PictureTitle=C:\\P.png\r\nAllowFlip=TRUE\r\nLastGameTitle=C:\\Games\\A.tvg\r\n"
                               "AnimateMoves=FALSE\r\n\r\n");
    EXPECT_EQ(ReadOptions(Parsed(store.ToBytes()), TGameOptions{}), options);
}

TEST(GameFilesOptions, MissingFlipIsOffAndAnEmptyLastGameIsNotTaken) {
    const TGameOptions shown{Shown, true, "C:\\Last.tvg"};
    TGameOptions read = ReadOptions(Parsed("[TilvaneGame]\r\nLastGameTitle=\r\n"), shown);
    EXPECT_FALSE(read.AllowFlip);
    EXPECT_EQ(read.LastGamePath, "C:\\Last.tvg");
    read = ReadOptions(Parsed("[TilvaneGame]\r\nAllowFlip=TRUE\r\nLastGameTitle=" + std::string(260, 'g')), shown);
    EXPECT_TRUE(read.AllowFlip);
    EXPECT_EQ(read.LastGamePath, "C:\\Last.tvg") << "too long for a path";
    EXPECT_TRUE(read.AnimateMoves) << "an options file from before the key animates";
    EXPECT_FALSE(ReadOptions(Parsed("[TilvaneGame]\r\nAnimateMoves=FALSE\r\n"), shown).AnimateMoves);
}

TEST(GameFilesExtension, OnlyTvgInAnyLetterCase) {
    EXPECT_TRUE(IsGameFileExtension(".tvg"));
    EXPECT_TRUE(IsGameFileExtension(".TvG"));
    EXPECT_FALSE(IsGameFileExtension("tvg"));
    EXPECT_FALSE(IsGameFileExtension(".tvgx"));
    EXPECT_FALSE(IsGameFileExtension(""));
}

}  // namespace
