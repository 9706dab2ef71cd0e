// File names in every script in the real program: pictures and games named in Latin-1, Greek,
// CJK and emoji, typed into the real file dialogs, saved, and loaded again by "Load last game"
// in a fresh start; and an old game whose paths are in the legacy code page.
#include "e2e/E2ESupport.h"
#include "e2e/TestPictures.h"
#include "Include/Core/PathText.h"
#include "Include/ErrorDialog.h"
#include "Include/WideText.h"
#include "Tilvane/TilvaneIds.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

const int Grid = 7;
const char* const OptionsName = "Tilvane.ini";

struct TScriptName {
    const char* Script;
    std::string Name;
};

const std::vector<TScriptName> ScriptNames = {
    {"Latin-1", "\xC3\x9C" "berblick Caf\xC3\xA9"},                                  // Überblick Café
    {"Greek", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1"},                   // Ελλάδα
    {"CJK", "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xAE\xE5\x86\x99\xE7\x9C\x9F"},         // 東京の写真
    {"emoji", "Sonne \xF0\x9F\x98\x80\xF0\x9F\x8C\x9E"},                             // Sonne 😀🌞
};

const char* EntryName(TFileNameEntry entry) {
    return entry == TFileNameEntry::Typed ? "typed" : entry == TFileNameEntry::Set ? "set with WM_SETTEXT" : "failed";
}

// The UTF-8 text in Windows-1252, as versions before UTF-8 wrote their files.
std::string InWindows1252(const std::string& utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    const int size = WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string legacy(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(1252, 0, wide.data(), static_cast<int>(wide.size()), &legacy[0], size, nullptr, nullptr);
    return legacy;
}

std::vector<TShownPiece> InOrder() {
    std::vector<TShownPiece> board;
    for (int piece = 0; piece < Grid * Grid; ++piece) board.push_back({piece, false, false});
    return board;
}

class UnicodeNamesEndToEnd : public ::testing::Test {
protected:
    void Start(const std::vector<TPlacedFile>& placed = {}) {
        game.reset();
        // The program's own folder is named in other scripts too: options and log are written there.
        game = std::make_unique<TGameProcess>("Spiel \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80", placed);
        ASSERT_TRUE(game->WaitForMainWindow());
        pieceSize = PieceSizeFilling(game->Control(idPuzzlePictureGroupBox), Grid, Grid);
        ASSERT_GT(pieceSize.cx, 8);
    }
    std::string Caption() const { return WindowText(game->MainWindow()); }
    std::string Label(int id) const { return game->ControlText(id); }
    bool WaitForLabel(int id, const std::string& text) const {
        return WaitUntil([&] { return Label(id) == text; });
    }
    std::vector<TShownPiece> Shown(int id) const {
        return ShownBoard(SettledPixels(game->Control(id), game->MainWindow()), Grid, Grid);
    }
    // A 7 x 7 picture of this screen's piece size, made in a folder named like the picture.
    std::string MakePicture(const std::string& name) const {
        const std::string folder = files / name;
        CreateFolderChain(folder);
        const std::string path = folder + "\\" + name + ".bmp";
        WriteFileBytes(path, QuadrantPicture(Grid, Grid, pieceSize.cx, pieceSize.cy));
        return path;
    }
    // The path typed into the dialog the key opens; the way it went in is reported.
    void EnterInDialog(WORD key, const std::string& path, const char* script) {
        game->Key(key);
        const TFileNameEntry entry = TypeIntoFileDialog(game->ProcessId(), path);
        ASSERT_NE(entry, TFileNameEntry::Failed) << path;
        const std::string what = std::string(script) + (key == VK_F5 ? " picture" : " game");
        std::cout << "[          ] " << what << " name " << EntryName(entry) << "\n";
        RecordProperty(what, EntryName(entry));
    }

    TTempFolder files{"unicode-names"};
    std::unique_ptr<TGameProcess> game;
    SIZE pieceSize = {};
};

TEST_F(UnicodeNamesEndToEnd, PicturesAndGamesNamedInEveryScriptAreSavedAndLoadedAsTheLastGame) {
    for (const TScriptName& script : ScriptNames) {
        SCOPED_TRACE(script.Script);
        Start();
        const std::string picture = MakePicture(script.Name);
        const std::string saved = DirectoryOfPath(picture) + script.Name + ".tvg";
        EnterInDialog(VK_F5, picture, script.Script);
        ASSERT_TRUE(WaitForLabel(idTipsLabel, RandomizeTip)) << Label(idTipsLabel);
        game->Key('R', modAlt);
        ASSERT_TRUE(WaitForLabel(idTipsLabel, DragTip));
        const std::vector<TShownPiece> board = Shown(idPuzzlePictureImage);
        EXPECT_NE(board, InOrder()) << "a shuffled board";

        EnterInDialog('S', saved, script.Script);
        ASSERT_TRUE(WaitUntil([&] { return FileExists(saved); })) << "no game at " << saved;
        EXPECT_NE(ReadFileBytes(saved).find("\r\nPictureTitle=" + picture + "\r\n"), std::string::npos)
            << "the picture's path in UTF-8";
        ASSERT_EQ(game->Close(), 0u);
        const std::string options = ReadFileBytes(game->PathOf(OptionsName));
        EXPECT_NE(options.find("\r\nPictureTitle=" + picture + "\r\n"), std::string::npos) << options;
        EXPECT_NE(options.find("\r\nLastGameTitle=" + saved + "\r\n"), std::string::npos) << options;

        Start({{OptionsName, options}});
        game->Key('Z', modCtrl);
        ASSERT_TRUE(WaitUntil([&] { return Caption() == "Tilvane - " + saved; })) << Caption();
        EXPECT_TRUE(WaitUntil([&] { return Shown(idPuzzlePictureImage) == board; })) << "the board as it was saved";
        EXPECT_EQ(Shown(idOriginalPictureImage), InOrder()) << "the picture itself";
        EXPECT_EQ(game->Close(), 0u);
    }
}

// An options file and a game written before the program spoke UTF-8: both paths in Windows-1252,
// the system's legacy code page in the test prefix.
TEST_F(UnicodeNamesEndToEnd, OldGameWithLegacyPathsFindsItsPicture) {
    Start();
    const std::string picture = MakePicture("Caf\xC3\xA9");
    const std::string gameFile = DirectoryOfPath(picture) + "\xC3\x9C" "bung.tvg";
    WriteFileBytes(gameFile, "[TilvaneGame]\r\nColumnsCount=7\r\nRowsCount=7\r\nLightGrid=FALSE\r\nPictureTitle=" +
                                 InWindows1252(picture) + "\r\nResultedColumns=7\r\nResultedRows=7\r\n"
                                 "MovesCount=3\r\nWrongMoves=1\r\n\r\n");
    ASSERT_EQ(game->Close(), 0u);

    Start({{OptionsName, "[TilvaneGame]\r\nLastGameTitle=" + InWindows1252(gameFile) + "\r\n"}});
    game->Key('Z', modCtrl);
    ASSERT_TRUE(WaitUntil([&] { return Caption() == "Tilvane - " + gameFile; })) << Caption();
    EXPECT_TRUE(WaitForLabel(idMovesCountLabel, "You have made 3 moves."));
    EXPECT_EQ(Shown(idOriginalPictureImage), InOrder()) << "the picture was found and painted";
    ASSERT_EQ(game->Close(), 0u);
    const std::string options = ReadFileBytes(game->PathOf(OptionsName));
    EXPECT_NE(options.find("\r\nPictureTitle=" + picture + "\r\n"), std::string::npos) << "rewritten in UTF-8";
    EXPECT_NE(options.find("\r\nLastGameTitle=" + gameFile + "\r\n"), std::string::npos) << "rewritten in UTF-8";
}

// A failure names the file as it is called: in the report on screen and in the log.
TEST_F(UnicodeNamesEndToEnd, ReportAndLogOfAFailureKeepTheNames) {
    Start();
    const std::string damaged = files / "\xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80.png";
    WriteFileBytes(damaged, "not a picture at all");
    EnterInDialog(VK_F5, damaged, "CJK and emoji");
    const TErrorDialogView dialog(WaitForErrorDialog(game->ProcessId()));
    ASSERT_TRUE(dialog.Open());
    const std::string report = dialog.Report();
    EXPECT_NE(report.find("* Parameter 1: \"" + damaged + "\"\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("* Program: " + game->ProgramPath() + "\r\n"), std::string::npos) << report;
    dialog.ClickButton(idErrorLogButton);
    const std::string log = game->PathOf("Errors.log");
    const std::string entry = "**********" + report + "\r\n**********\r\n";
    EXPECT_TRUE(WaitUntil([&] { return FileExists(log) && ReadFileBytes(log) == entry; })) << "the report in UTF-8";
    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitUntil([&] { return !dialog.Open(); }));
}

}  // namespace
