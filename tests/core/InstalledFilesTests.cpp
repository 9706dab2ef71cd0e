// The installation's record of the files it put into the package's folders: what uninstalling
// takes from it must lie directly inside one of those folders, however the record was edited.
#include "Include/Core/InstalledFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::string> Entries = {"Install.exe", "Readme.txt", "HelpPictures\\", "Sample pictures/"};

TEST(InstalledFiles, TheRecordRoundTripsAndNamesNothingOutsideThePackagesFolders) {
    const std::vector<std::string> files = {"Sample pictures\\Lake.jpg", "HelpPictures\\Sample.png",
                                            "Sample pictures\\Credits.txt", "Sample pictures\\Lake.jpg"};
    const std::string text = InstalledFilesText(files);
    EXPECT_EQ(text, "HelpPictures\\Sample.png\r\nSample pictures\\Credits.txt\r\nSample pictures\\Lake.jpg\r\n");
    EXPECT_EQ(ReadInstalledFiles(text, Entries),
              (std::vector<std::string>{"HelpPictures\\Sample.png", "Sample pictures\\Credits.txt",
                                        "Sample pictures\\Lake.jpg"}));
    EXPECT_EQ(ReadInstalledFiles("sample PICTURES\\a.jpg\nHelpPictures\\b.png", Entries),
              (std::vector<std::string>{"sample PICTURES\\a.jpg", "HelpPictures\\b.png"}))
        << "folder names in any letter case, lines ended by LF or by nothing";

    const char* const refused[] = {
        "Readme.txt",                           // a file entry, not inside a folder
        "Sample pictures",                      // the folder itself
        "Sample pictures\\",                    // an empty name
        "Holiday\\Beach.jpg",                   // a folder the package does not have
        "Sample pictures\\..\\Tilvane.ini",     // out of the folder
        "Sample pictures\\.. \\Tilvane.ini",    // the same, once the system drops the blank
        "Sample pictures\\...",                 // which the system shortens to nothing
        "Sample pictures\\.",
        "Sample pictures\\sub\\Lake.jpg",       // a subfolder, which may be a link elsewhere
        "\\Sample pictures\\Lake.jpg",          // from the root
        "C:\\Windows\\win.ini",
        "Sample pictures\\C:evil.txt",          // a drive-relative path
        "Sample pictures\\a/../../b.txt",       // the other separator
        "Sample pictures\\*.jpg",
        "\\\\server\\share\\x.jpg",
        "",
    };
    for (const char* line : refused) {
        EXPECT_TRUE(ReadInstalledFiles(line, Entries).empty()) << line;
        EXPECT_TRUE(ReadInstalledFiles(std::string(line) + "\r\n", Entries).empty()) << line;
    }
    EXPECT_TRUE(ReadInstalledFiles(std::string("Sample pictures\\a\0b.jpg", 24), Entries).empty())
        << "a control character";
}

// A copy with administrator rights deletes files only where the player's own run cannot, and
// then it is the one that tells the player what was kept; rights come before any deletion.
TEST(UninstallPlan, ACopyWithRightsDeletesOnlyWhereThePlayersRunCannot) {
    using R = TUninstallRights;
    struct TCase {
        TUninstallRun Run;  // elevated, machine entry only, folder writable, machine entry needs rights
        R Rights;
        bool DeletesFiles;
        const char* Situation;
    };
    const TCase cases[] = {
        {{false, false, true, false}, R::NotAsked, true, "a folder of the player's, listed for them"},
        {{false, false, true, true}, R::ForMachineEntry, true, "a folder anyone may write, listed for the machine"},
        {{false, false, false, false}, R::ForEverything, false, "Program Files"},
        {{false, false, false, true}, R::ForEverything, false, "Program Files, listed for the machine"},
        {{true, false, false, false}, R::NotAsked, true, "the copy asked for everything"},
        {{true, true, false, false}, R::NotAsked, false, "the copy asked for the machine's entry"},
        {{true, true, true, true}, R::NotAsked, false, "the copy judges nothing by the folder"},
    };
    for (const TCase& c : cases) {
        const TUninstallPlan plan = PlanUninstall(c.Run);
        EXPECT_EQ(plan.Rights, c.Rights) << c.Situation;
        EXPECT_EQ(plan.DeletesFiles, c.DeletesFiles) << c.Situation;
    }
}

}  // namespace
