// Where the program's own files go, decided by trying to write: the program folder when it can be
// written, the user's application data otherwise; and the probe that decides it.
#include "Include/File.h"
#include "Include/Program.h"
#include "support/ReadOnlyFolder.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CanCreateFilesIn, TriesTheFolderOrItsNearestExistingParentAndLeavesNothing) {
    TTempFolder folder("probe");
    WriteFileBytes(folder / "kept.txt", "kept");
    EXPECT_TRUE(CanCreateFilesIn(folder.Path()));
    EXPECT_TRUE(CanCreateFilesIn(folder.Path() + "\\"));
    EXPECT_TRUE(CanCreateFilesIn(folder / "not\\yet\\made")) << "judged by the folder above";
    EXPECT_FALSE(FolderExists(folder / "not")) << "nothing is made on the way";
    EXPECT_EQ(EntriesOf(folder.Path()), std::vector<std::string>{"kept.txt"}) << "the probe file is gone";
    EXPECT_EQ(ReadFileBytes(folder / "kept.txt"), "kept");
    EXPECT_FALSE(CanCreateFilesIn(folder / "kept.txt\\below")) << "a file stands where a folder would be";
    EXPECT_FALSE(CanCreateFilesIn(""));
}

class ReadOnlyProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string unavailable = ReadOnlyViewUnavailable();
        if (!unavailable.empty()) GTEST_SKIP() << "no read-only folder: " << unavailable;
        name_ = "TilvaneDataTest-" + std::to_string(GetCurrentProcessId());
        sourceFolder_ = std::string(ReadOnlySource) + "\\" + name_;
        viewFolder_ = std::string(ReadOnlyView) + "\\" + name_ + "\\";
        CreateDirectoryA(sourceFolder_.c_str(), nullptr);
        RemoveTree(ApplicationDataFolder(name_));
    }
    void TearDown() override {
        if (name_.empty()) return;
        RemoveTree(sourceFolder_);
        RemoveTree(ApplicationDataFolder(name_));
    }
    std::string name_, sourceFolder_, viewFolder_;
};

TEST_F(ReadOnlyProgramFolderTest, ProbeSaysNoAndTheDataGoesToApplicationData) {
    EXPECT_FALSE(CanCreateFilesIn(viewFolder_));
    EXPECT_FALSE(CanCreateFilesIn(viewFolder_ + "Below")) << "the nearest existing folder is read-only";

    const std::string expected = ApplicationDataFolder(name_) + "\\";
    EXPECT_EQ(DataDirectoryFor(viewFolder_, name_), expected);
    EXPECT_TRUE(FolderExists(expected)) << "made when missing";
    EXPECT_EQ(DataDirectoryFor(viewFolder_, name_), expected) << "an existing folder is taken as it is";
    EXPECT_TRUE(EntriesOf(sourceFolder_).empty()) << "nothing written into the program folder";
}

TEST(DataDirectoryFor, AWritableProgramFolderIsItsOwnDataFolder) {
    TTempFolder folder("portable");
    const std::string name = "TilvaneUnused-" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(DataDirectoryFor(folder.Path() + "\\", name), folder.Path() + "\\");
    EXPECT_FALSE(FolderExists(ApplicationDataFolder(name))) << "application data is not touched";
    EXPECT_TRUE(EntriesOf(folder.Path()).empty());
    // This test program's own folder is writable: its data folder is that folder, as before.
    EXPECT_EQ(GetDataDirectory(), GetProgramDirectory());
}

}  // namespace
