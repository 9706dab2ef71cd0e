// The game in a program folder it may not write, as under Program Files without administrator
// rights: the options, the games folder and the error log go to the user's application data,
// and a copy that can write beside itself keeps every file there.
#include "e2e/E2ESupport.h"
#include "Include/ErrorDialog.h"
#include "Tilvane/TilvaneIds.h"
#include "support/ReadOnlyFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const char* const OptionsName = "Tilvane.ini";
const char* const LogName = "Errors.log";

// The value of a key in a settings file's text; empty when it is missing.
std::string ValueIn(const std::string& text, const std::string& key) {
    const size_t at = text.find("\r\n" + key + "=");
    if (at == std::string::npos) return std::string();
    const size_t start = at + key.size() + 3;
    return text.substr(start, text.find("\r\n", start) - start);
}

// Presses Log in the report of a failed "Load last game" and closes the report; the report text.
std::string LogFailedLoadLastGame(TGameProcess& game, const std::string& logPath) {
    game.Key('Z', modCtrl);
    const TErrorDialogView dialog(WaitForErrorDialog(game.ProcessId()));
    if (!dialog.Open()) {
        ADD_FAILURE() << "no report of the failed load";
        return std::string();
    }
    const std::string report = dialog.Report();
    dialog.ClickButton(idErrorLogButton);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(logPath); })) << logPath;
    dialog.ClickButton(idErrorOkayButton);
    EXPECT_TRUE(WaitUntil([&] { return !dialog.Open(); }));
    return report;
}

// Ten columns chosen in the drop-down list, as a player does.
void ChooseTenColumns(TGameProcess& game) {
    BringToForeground(game.MainWindow());
    ClickAt(CenterOnScreen(game.Control(idColumnsCountComboBox)));
    PressKey('1');
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return game.ControlText(idColumnsCountComboBox) == "10"; }));
}

class DataFolderEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveTree(DataFolder());
        pictures_ = std::make_unique<TTempFolder>("data-folder");
        picture_ = *pictures_ / "meadow.bmp";
        WriteFileBytes(picture_, BitmapFileBytes(140, 140, [](int x, int y) {
                           return RGB(x * 255 / 140, y * 255 / 140, 90);
                       }));
    }
    void TearDown() override { RemoveTree(DataFolder()); }

    static std::string DataFolder() { return ApplicationDataFolder("Tilvane"); }
    static std::string Data(const std::string& name) { return DataFolder() + "\\" + name; }

    // Loads the picture and saves the new game under the name the save dialog offers, in the
    // folder it offers; the offered name.
    std::string SaveNewGameWhereOffered(TGameProcess& game) {
        game.Key(VK_F5);
        EXPECT_TRUE(AnswerFileDialog(game.ProcessId(), picture_));
        EXPECT_TRUE(WaitUntil([&] { return game.ControlText(idTipsLabel) == RandomizeTip; }));
        game.Key('S');
        EXPECT_TRUE(AnswerFileDialog(game.ProcessId(), "meadow.tvg"));
        return "meadow.tvg";
    }

    std::unique_ptr<TTempFolder> pictures_;
    std::string picture_;
};

class ReadOnlyProgramFolderEndToEnd : public DataFolderEndToEnd {
protected:
    void SetUp() override {
        const std::string unavailable = ReadOnlyViewUnavailable();
        if (!unavailable.empty()) GTEST_SKIP() << "no read-only program folder: " << unavailable;
        DataFolderEndToEnd::SetUp();
    }
};

TEST_F(ReadOnlyProgramFolderEndToEnd, PlaySaveLogAndCloseWriteIntoTheDataFolderAndAreReadBack) {
    std::string savedGame;
    {
        TGameProcess game("read-only", {}, ReadOnlySource, ReadOnlyView);
        ASSERT_TRUE(game.WaitForMainWindow());
        EXPECT_TRUE(FolderExists(Data("TilvaneGames"))) << "the games folder is made in the data folder";

        const std::string report = LogFailedLoadLastGame(game, Data(LogName));
        EXPECT_NE(report.find("* Parameter 1: \"" + Data("TilvaneGames\\*.tvg") + "\""), std::string::npos) << report;
        EXPECT_EQ(ReadFileBytes(Data(LogName)), "**********" + report + "\r\n**********\r\n");

        ChooseTenColumns(game);
        savedGame = Data("TilvaneGames\\" + SaveNewGameWhereOffered(game));
        EXPECT_TRUE(WaitUntil([&] { return FileExists(savedGame); })) << "saved where the dialog offered";
        EXPECT_EQ(game.Close(), 0u) << "closes without a report: the options were written";
        EXPECT_EQ(EntriesOf(game.PlacedFolder()), std::vector<std::string>{"Tilvane.exe"})
            << "nothing beside the program";
    }
    const std::string options = ReadFileBytes(Data(OptionsName));
    EXPECT_EQ(ValueIn(options, "ColumnsCount"), "10");
    EXPECT_EQ(ValueIn(options, "LastGameTitle"), savedGame);

    // A second start reads the options back and finds the last game.
    TGameProcess again("read-only-again", {}, ReadOnlySource, ReadOnlyView);
    ASSERT_TRUE(again.WaitForMainWindow());
    EXPECT_EQ(again.ControlText(idColumnsCountComboBox), "10");
    again.Key('Z', modCtrl);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(again.MainWindow()) == "Tilvane - " + savedGame; }));
    EXPECT_EQ(again.Close(), 0u);
}

TEST_F(ReadOnlyProgramFolderEndToEnd, OlderOptionsBesideTheProgramAreTheStartAndStayAsTheyWere) {
    const std::string older = "[TilvaneGame]\r\nColumnsCount=12\r\nRowsCount=9\r\nAllowFlip=TRUE\r\n"
                              "LastGameTitle=D:\\Elsewhere\\kept.tvg\r\n\r\n";
    TGameProcess game("read-only-older", {{OptionsName, older}}, ReadOnlySource, ReadOnlyView);
    ASSERT_TRUE(game.WaitForMainWindow());
    EXPECT_EQ(game.ControlText(idColumnsCountComboBox), "12");
    EXPECT_EQ(game.ControlText(idRowsCountComboBox), "9");
    EXPECT_EQ(game.Close(), 0u);
    EXPECT_EQ(ReadFileBytes(game.PlacedFolder() + OptionsName), older) << "the older file is not touched";
    const std::string options = ReadFileBytes(Data(OptionsName));
    EXPECT_EQ(ValueIn(options, "ColumnsCount"), "12");
    EXPECT_EQ(ValueIn(options, "AllowFlip"), "TRUE");
    EXPECT_EQ(ValueIn(options, "LastGameTitle"), "D:\\Elsewhere\\kept.tvg") << "a path the player chose is kept";
}

TEST_F(DataFolderEndToEnd, WritableProgramFolderKeepsEveryFileBesideTheProgram) {
    TGameProcess game("writable");
    ASSERT_TRUE(game.WaitForMainWindow());
    const std::string report = LogFailedLoadLastGame(game, game.PathOf(LogName));
    ChooseTenColumns(game);
    const std::string savedGame = game.PathOf("TilvaneGames\\" + SaveNewGameWhereOffered(game));
    EXPECT_TRUE(WaitUntil([&] { return FileExists(savedGame); }));
    EXPECT_EQ(game.Close(), 0u);
    EXPECT_EQ(ReadFileBytes(game.PathOf(LogName)), "**********" + report + "\r\n**********\r\n");
    EXPECT_EQ(ValueIn(ReadFileBytes(game.PathOf(OptionsName)), "LastGameTitle"), savedGame);
    EXPECT_FALSE(FolderExists(DataFolder())) << "application data is not touched";
}

}  // namespace
