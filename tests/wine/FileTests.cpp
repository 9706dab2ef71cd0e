// Files, folder trees, special folders and the shell, against the real system under Wine.
#include "Include/Core/FunStat.h"
#include "Include/File.h"
#include "support/RecordingErrorView.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <ole2.h>

#include <chrono>
#include <thread>

namespace {

// The record an operation handed over, compared field by field.
void ExpectRecord(int32_t status, const std::string& function, const std::string& description,
                  const std::string& parameter1 = "", const std::string& parameter2 = "") {
    const TFunStatContext& record = CurrentFunStatContext;
    EXPECT_EQ(record.Status, status);
    EXPECT_EQ(record.File, "Include\\File");
    EXPECT_EQ(record.Function, function);
    EXPECT_EQ(record.Description, description);
    EXPECT_EQ(record.Parameter1, parameter1);
    EXPECT_EQ(record.Parameter2, parameter2);
}

void ExpectPerfect() {
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
}

// Waits for a file that another process writes.
bool WaitForFile(const std::string& path, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (FileExists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return FileExists(path);
}

void MakeFile(const std::string& path, const std::string& content, DWORD attributes = 0) {
    WriteFileBytes(path, content);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

void MakeFolder(const std::string& path, DWORD attributes = 0) {
    CreateDirectoryA(path.c_str(), nullptr);
    if (attributes) SetFileAttributesA(path.c_str(), attributes);
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { CurrentFunStatContext.Reset(fsPerfect); }
    void TearDown() override { CurrentFunStatContext.Reset(fsPerfect); }
};

// --- path functions ------------------------------------------------------

TEST_F(FileTest, FullPathsAreAbsoluteAndLong) {
    TTempFolder folder("FullPaths");
    const std::string longFolder = folder / "A Folder With A Long Name";
    MakeFolder(longFolder);
    char shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(longFolder.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_NE(std::string(shortPath).find('~'), std::string::npos) << shortPath;

    EXPECT_EQ(ToLongPath(shortPath), longFolder);
    EXPECT_EQ(ToLongPath("C:\\NoSuchFolder~1\\x"), "C:\\NoSuchFolder~1\\x") << "unchanged when it cannot be resolved";
    EXPECT_EQ(ToLongPath("relative\\path"), "relative\\path") << "no tilde, no change";

    EXPECT_EQ(ToFullPath(""), "");
    EXPECT_EQ(ToFullPath("C:"), "C:");
    EXPECT_EQ(ToFullPath("C:/Tilvane/./bin/../x.tvg"), "C:\\Tilvane\\x.tvg");
    MakeFile(longFolder + "\\Saved Game.tvg", "x");
    EXPECT_EQ(ToFullPath(std::string(shortPath) + "\\Saved Game.tvg"), longFolder + "\\Saved Game.tvg");
    EXPECT_EQ(ToFullPath(std::string(shortPath) + "\\new.tvg"), std::string(shortPath) + "\\new.tvg")
        << "a missing file has no long form";

    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    EXPECT_EQ(ToFullPath("a\\b.jpg"), folder / "a\\b.jpg");
    EXPECT_EQ(ToFullUncPath("a\\b.jpg"), folder / "a\\b.jpg") << "a local path has no network form";
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(ToFullUncPath("C:"), "C:");
    EXPECT_EQ(ToFullUncPath(""), "");
}

TEST_F(FileTest, SamePathIgnoresCaseSlashesAndRelativeForms) {
    TTempFolder folder("SamePath");
    MakeFile(folder / "Game.tvg", "x");
    EXPECT_TRUE(IsSamePath(folder / "Game.tvg", folder / "GAME.TVG"));
    std::string slashes = folder / "Game.tvg";
    for (char& c : slashes)
        if (c == '\\') c = '/';
    EXPECT_TRUE(IsSamePath(folder / "Game.tvg", slashes));
    EXPECT_TRUE(IsSamePath(folder / "Game.tvg", folder / "sub\\..\\Game.tvg"));

    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    EXPECT_TRUE(IsSamePath("Game.tvg", folder / "Game.tvg"));
    EXPECT_TRUE(IsSamePath("missing.tvg", folder / "missing.tvg")) << "the files need not exist";
    SetCurrentDirectoryA(saved);

    EXPECT_FALSE(IsSamePath(folder / "Game.tvg", folder / "Game2.tvg"));
    EXPECT_FALSE(IsSamePath(folder / "*.tvg", folder / "*.tvg")) << "patterns name no single file";
    EXPECT_FALSE(IsSamePath(folder / "Game.tv?", folder / "Game.tvg"));
    EXPECT_FALSE(IsSamePath(folder / "a|b", folder / "a|b"));
}

TEST_F(FileTest, FileMasksMatchLikeTheShell) {
    EXPECT_TRUE(MatchesFileMask("Game.tvg", "*.tvg"));
    EXPECT_TRUE(MatchesFileMask("GAME.TVG", "*.tvg")) << "letter case is ignored";
    EXPECT_FALSE(MatchesFileMask("Game.tvg.bak", "*.tvg"));
    EXPECT_TRUE(MatchesFileMask("Photo.jpeg", "*.JPG;*.JPEG"));
    EXPECT_TRUE(MatchesFileMask("photo.jpg", "*.JPG;*.JPEG"));
    EXPECT_FALSE(MatchesFileMask("photo.png", "*.JPG;*.JPEG"));
    EXPECT_TRUE(MatchesFileMask("C:\\Pictures\\a.bmp", "*.BMP;*.DIB;*.RLE"));
    EXPECT_TRUE(MatchesFileMask("a1.tvg", "a?.tvg"));
    EXPECT_FALSE(MatchesFileMask("a12.tvg", "a?.tvg"));
    EXPECT_TRUE(MatchesFileMask("anything at all", ""));
    EXPECT_TRUE(MatchesFileMask("", ""));
}

TEST_F(FileTest, ExistenceAndReadOnly) {
    TTempFolder folder("Exists");
    MakeFile(folder / "plain.txt", "x");
    MakeFile(folder / "locked.txt", "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    MakeFile(folder / "hidden.txt", "x", FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(PathExists(""));
    EXPECT_TRUE(PathExists(folder / "plain.txt"));
    EXPECT_TRUE(PathExists(folder.Path()));
    EXPECT_FALSE(PathExists(folder / "missing.txt"));

    EXPECT_EQ(ClearReadOnly(folder / "locked.txt"), 0u);
    EXPECT_EQ(Attributes(folder / "locked.txt") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u)
        << "a read-only file becomes normal";
    EXPECT_EQ(ClearReadOnly(folder / "hidden.txt"), 0u);
    EXPECT_NE(Attributes(folder / "hidden.txt") & FILE_ATTRIBUTE_HIDDEN, 0u) << "only read-only files are touched";
    EXPECT_EQ(ClearReadOnly(folder / "missing.txt"), 0u);
}

// --- reporting operations -------------------------------------------------------------------

TEST_F(FileTest, FileSizeBeyondFourGigabytesIsExact) {
    TTempFolder folder("Size");
    const std::string path = folder / "sparse.bin";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = 5ll << 30;
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(static_cast<void*>(file)), 5ull << 30);
    ExpectPerfect();
    CloseHandle(file);
}

TEST_F(FileTest, FileSizeOfABadHandleIsOnlyAWarning) {
    EXPECT_EQ(GetFileSize(static_cast<void*>(INVALID_HANDLE_VALUE)), 0u);
    ExpectRecord(fsWarning, "GetFileSize", "Failed to get file size.");
    EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, 0);
}

TEST_F(FileTest, SpecialFoldersExistWithTrailingBackslash) {
    for (const std::string& path : {GetMyPicturesPath(), GetDesktopPath(), GetProgramsMenuPath(), GetProgramFilesPath()}) {
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path.back(), '\\') << path;
        EXPECT_TRUE(FolderExists(path)) << path;
        ExpectPerfect();
    }
    EXPECT_EQ(GetSystemDirectoryPath(0x7F), "") << "an unknown folder id gives no path";
    ExpectPerfect();
}

TEST_F(FileTest, RenameMovesAndRefusesAnExistingDestination) {
    TTempFolder folder("Rename");
    MakeFile(folder / "a.txt", "source");
    MyRenameFile(folder / "a.txt", folder / "b.txt", false);
    ExpectPerfect();
    EXPECT_FALSE(FileExists(folder / "a.txt"));
    EXPECT_EQ(ReadFileBytes(folder / "b.txt"), "source");

    MakeFile(folder / "c.txt", "other");
    MyRenameFile(folder / "b.txt", folder / "c.txt", false);
    ExpectRecord(fsError, "MyRenameFile", "Failed to rename.", folder / "b.txt", folder / "c.txt");
    EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, 0);
    EXPECT_EQ(ReadFileBytes(folder / "b.txt"), "source");
    EXPECT_EQ(ReadFileBytes(folder / "c.txt"), "other");
}

TEST_F(FileTest, RenameReplacesAReadOnlyDestination) {
    TTempFolder folder("RenameReplace");
    MakeFile(folder / "new.txt", "new");
    MakeFile(folder / "old.txt", "old", FILE_ATTRIBUTE_READONLY);
    MyRenameFile(folder / "new.txt", folder / "old.txt", true);
    ExpectPerfect();
    EXPECT_FALSE(FileExists(folder / "new.txt"));
    EXPECT_EQ(ReadFileBytes(folder / "old.txt"), "new");
}

TEST_F(FileTest, FailedReplacingRenameKeepsTheDestination) {
    TTempFolder folder("RenameKeeps");
    MakeFile(folder / "old.txt", "old");
    MyRenameFile(folder / "missing.txt", folder / "old.txt", true);
    ExpectRecord(fsError, "MyRenameFile", "Failed to rename.", folder / "missing.txt", folder / "old.txt");
    EXPECT_EQ(ReadFileBytes(folder / "old.txt"), "old");

    MyRenameFile(folder / "old.txt", folder / "OLD.TXT", true);
    ExpectPerfect();
    EXPECT_EQ(ReadFileBytes(folder / "old.txt"), "old") << "renaming onto itself keeps the file";
}

// A tree with read-only, hidden and system files and folders at two levels.
void MakeTree(const std::string& root) {
    MakeFolder(root);
    MakeFile(root + "\\plain.txt", "plain");
    MakeFile(root + "\\readonly.txt", "readonly", FILE_ATTRIBUTE_READONLY);
    MakeFile(root + "\\hidden.txt", "hidden", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(root + "\\system.txt", "system", FILE_ATTRIBUTE_SYSTEM);
    MakeFolder(root + "\\Sub");
    MakeFile(root + "\\Sub\\inner.txt", "inner");
    MakeFile(root + "\\Sub\\inner-readonly.txt", "inner-readonly", FILE_ATTRIBUTE_READONLY);
    MakeFolder(root + "\\Sub\\Deeper");
    MakeFile(root + "\\Sub\\Deeper\\deep.txt", "deep");
    MakeFolder(root + "\\HiddenSub", FILE_ATTRIBUTE_HIDDEN);
    MakeFile(root + "\\HiddenSub\\h.txt", "h");
    MakeFolder(root + "\\Empty");
}

TEST_F(FileTest, DeleteDirectoryRemovesTheWholeTree) {
    TTempFolder folder("DeleteTree");
    const std::string root = folder / "Tree";
    MakeTree(root);
    MakeFolder(root + "\\LockedSub", FILE_ATTRIBUTE_READONLY);
    MakeFile(root + "\\LockedSub\\x.txt", "x");
    DeleteDirectoryNoErrors(root);
    ExpectPerfect();
    EXPECT_EQ(Attributes(root), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(FolderExists(folder.Path())) << "nothing above the tree";

    MakeTree(root);
    DeleteDirectoryNoErrors(root + "\\");
    ExpectPerfect();
    EXPECT_EQ(Attributes(root), INVALID_FILE_ATTRIBUTES) << "a trailing backslash names the same folder";
}

TEST_F(FileTest, DeleteDirectoryOfAMissingFolderFails) {
    TTempFolder folder("DeleteMissing");
    DeleteDirectoryNoErrors(folder / "Missing");
    ExpectRecord(fsError, "DeleteDirectoryNoErrors", "Can not find directory.", folder / "Missing");
    EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, 0);

    MakeFile(folder / "file.txt", "not a folder");
    DeleteDirectoryNoErrors(folder / "file.txt");
    ExpectRecord(fsError, "DeleteDirectoryNoErrors", "Can not find directory.", folder / "file.txt");
    EXPECT_EQ(ReadFileBytes(folder / "file.txt"), "not a folder") << "a file is not a folder to remove";
}

// An empty name must not turn into the search "*" of the current directory.
TEST_F(FileTest, EmptyFolderNamesTouchNothing) {
    TTempFolder folder("EmptyName");
    MakeFile(folder / "current.txt", "current");
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    DeleteDirectoryNoErrors("");
    ExpectRecord(fsError, "DeleteDirectoryNoErrors", "Can not find directory.");
    {
        TMessageBoxAnswerer answerer("Error", IDOK);
        CopyDeleteDirectory("", folder / "Destination", false);
        EXPECT_EQ(CurrentFunStatContext.Status, fsError);
        EXPECT_EQ(answerer.Count(), 1u);
    }
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(ReadFileBytes(folder / "current.txt"), "current");
}

TEST_F(FileTest, CopyDirectoryLeavesHiddenAndSystemEntriesBehind) {
    TTempFolder folder("CopyTree");
    const std::string source = folder / "Source", destination = folder / "Destination";
    MakeTree(source);
    MakeFolder(destination);
    MakeFile(destination + "\\readonly.txt", "old", FILE_ATTRIBUTE_READONLY);
    MakeFolder(destination + "\\Sub");
    MakeFile(destination + "\\Sub\\inner.txt", "old", FILE_ATTRIBUTE_READONLY);
    MakeFile(destination + "\\kept.txt", "kept");

    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(source, destination, true);
    ExpectPerfect();
    EXPECT_EQ(answerer.Count(), 0u);
    EXPECT_EQ(ReadFileBytes(destination + "\\plain.txt"), "plain");
    EXPECT_EQ(ReadFileBytes(destination + "\\readonly.txt"), "readonly") << "a read-only file is replaced";
    EXPECT_EQ(ReadFileBytes(destination + "\\Sub\\inner.txt"), "inner");
    EXPECT_EQ(ReadFileBytes(destination + "\\Sub\\inner-readonly.txt"), "inner-readonly");
    EXPECT_EQ(ReadFileBytes(destination + "\\Sub\\Deeper\\deep.txt"), "deep");
    EXPECT_TRUE(FolderExists(destination + "\\Empty"));
    EXPECT_EQ(ReadFileBytes(destination + "\\kept.txt"), "kept");
    EXPECT_FALSE(FileExists(destination + "\\hidden.txt"));
    EXPECT_FALSE(FileExists(destination + "\\system.txt"));
    EXPECT_FALSE(FolderExists(destination + "\\HiddenSub"));
    EXPECT_EQ(ReadFileBytes(source + "\\plain.txt"), "plain") << "copying leaves the source";
}

TEST_F(FileTest, CopyDirectoryIntoANewDestination) {
    TTempFolder folder("CopyNew");
    MakeTree(folder / "Source");
    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(folder / "Source", folder / "New", true);
    ExpectPerfect();
    EXPECT_EQ(ReadFileBytes(folder / "New\\Sub\\Deeper\\deep.txt"), "deep");
}

TEST_F(FileTest, CopyDirectoryFailuresShowTheMessageBox) {
    TTempFolder folder("CopyFails");
    MakeTree(folder / "Source");
    {
        TMessageBoxAnswerer answerer("Error", IDOK);
        CopyDeleteDirectory(folder / "Source", "", true);
        ExpectRecord(fsError, "CopyDeleteDirectory", "Empty destination name.", folder / "Source", "");
        EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, 0);
        ASSERT_EQ(answerer.Count(), 1u);
        EXPECT_EQ(answerer.Texts()[0], "Failed to process directory.");
    }
    {
        TMessageBoxAnswerer answerer("Error", IDCANCEL);
        CopyDeleteDirectory(folder / "Source", folder / "Missing\\Deeper\\Destination", true);
        ExpectRecord(fsError, "CopyDeleteDirectory", "Failed to create directory.", folder / "Source",
                     folder / "Missing\\Deeper\\Destination");
        EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, ERROR_PATH_NOT_FOUND);
        EXPECT_EQ(answerer.Count(), 1u) << "the answer is not used";
    }
}

TEST_F(FileTest, CopyDirectoryOntoAFileFails) {
    TTempFolder folder("CopyOntoFile");
    MakeTree(folder / "Source");
    MakeFile(folder / "Destination", "a file");
    MakeFolder(folder / "Other");
    MakeFile(folder / "Other\\Sub", "a file where a folder goes");
    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(folder / "Source", folder / "Destination", true);
    ExpectRecord(fsError, "CopyDeleteDirectory", "Failed to create directory.", folder / "Source",
                 folder / "Destination");
    EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, ERROR_ALREADY_EXISTS);
    EXPECT_EQ(ReadFileBytes(folder / "Destination"), "a file");

    CopyDeleteDirectory(folder / "Source", folder / "Other", true);
    ExpectPerfect();
    EXPECT_EQ(ReadFileBytes(folder / "Other\\plain.txt"), "plain") << "the rest is still copied";
    EXPECT_EQ(ReadFileBytes(folder / "Other\\Sub"), "a file where a folder goes");
    EXPECT_EQ(answerer.Count(), 2u) << "one box for each folder that failed";
}

TEST_F(FileTest, CopyDirectoryOfAMissingSourceFails) {
    TTempFolder folder("CopyMissing");
    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(folder / "Missing", folder / "Destination", true);
    EXPECT_EQ(CurrentFunStatContext.Status, fsError);
    EXPECT_EQ(CurrentFunStatContext.Function, "CopyDeleteDirectory");
    EXPECT_EQ(CurrentFunStatContext.Parameter1, folder / "Missing");
    EXPECT_NE(CurrentFunStatContext.SystemErrorCode, 0) << CurrentFunStatContext.Description;
    EXPECT_EQ(answerer.Count(), 1u);
}

TEST_F(FileTest, DeletingModeEmptiesTheSourceAndBuildsTheFolders) {
    TTempFolder folder("CopyDelete");
    const std::string source = folder / "Source", destination = folder / "Destination";
    MakeTree(source);
    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(source, destination, false);
    ExpectPerfect();
    EXPECT_EQ(answerer.Count(), 0u);
    EXPECT_FALSE(FileExists(source + "\\plain.txt"));
    EXPECT_FALSE(FileExists(source + "\\readonly.txt"));
    EXPECT_FALSE(FolderExists(source + "\\Sub")) << "emptied folders are removed";
    EXPECT_TRUE(FileExists(source + "\\hidden.txt")) << "hidden entries are not matched";
    EXPECT_TRUE(FolderExists(source + "\\HiddenSub"));
    EXPECT_TRUE(FolderExists(destination + "\\Sub\\Deeper"));
    EXPECT_FALSE(FileExists(destination + "\\plain.txt")) << "nothing is copied";
}

// --- links ----------------------------------------------------------------------------------
// Wine 8 cannot make links from Windows programs (CreateSymbolicLinkA does nothing and reports
// success; FSCTL_SET_REPARSE_POINT is not supported), so the test runner makes Unix symbolic
// links before the tests, in C:\Tilvane\links:
//   Tree\FolderLink -> ..\Outside      Tree\EmptyLink -> ..\Empty      Tree\FileLink -> ..\Outside.txt
//   RootLink -> Outside                Destination\plain.txt -> ..\Outside.txt
// The tests make every plain file and folder themselves.

const std::string LinksFolder = "C:\\Tilvane\\links";

class FileLinkTest : public FileTest {
protected:
    void SetUp() override {
        FileTest::SetUp();
        if (!FolderExists(LinksFolder + "\\Tree")) GTEST_SKIP() << "the test runner made no links in " << LinksFolder;
        // The targets first: until they exist the links dangle and Wine shows nothing.
        MakeFolder(LinksFolder + "\\Outside");
        MakeFolder(LinksFolder + "\\Empty");
        MakeFile(LinksFolder + "\\Outside\\keep.txt", "keep");
        MakeFile(LinksFolder + "\\Outside.txt", "outside");
        const DWORD attributes = Attributes(LinksFolder + "\\Tree\\FolderLink");
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            GTEST_SKIP() << "the test runner made no links in " << LinksFolder;
        MakeFile(LinksFolder + "\\Tree\\plain.txt", "plain", FILE_ATTRIBUTE_READONLY);
        MakeFolder(LinksFolder + "\\Tree\\Sub");
        MakeFile(LinksFolder + "\\Tree\\Sub\\inner.txt", "inner");
    }
    void ExpectOutsideIntact() {
        EXPECT_EQ(ReadFileBytes(LinksFolder + "\\Outside\\keep.txt"), "keep");
        EXPECT_EQ(ReadFileBytes(LinksFolder + "\\Outside.txt"), "outside");
        EXPECT_TRUE(FolderExists(LinksFolder + "\\Empty"));
    }
};

TEST_F(FileLinkTest, DeletingATreeNeverFollowsLinks) {
    DeleteDirectoryNoErrors(LinksFolder + "\\Tree");
    ExpectPerfect();
    ExpectOutsideIntact();
    EXPECT_FALSE(FileExists(LinksFolder + "\\Tree\\plain.txt"));
    EXPECT_FALSE(FolderExists(LinksFolder + "\\Tree\\Sub"));
}

TEST_F(FileLinkTest, DeletingALinkedFolderLeavesItsTarget) {
    DeleteDirectoryNoErrors(LinksFolder + "\\RootLink");
    ExpectPerfect();
    ExpectOutsideIntact();
}

TEST_F(FileLinkTest, CopyingSkipsLinksOnBothSides) {
    const std::string destination = LinksFolder + "\\Destination";
    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(LinksFolder + "\\Tree", destination, true);
    ExpectPerfect();
    ExpectOutsideIntact();
    EXPECT_EQ(ReadFileBytes(destination + "\\Sub\\inner.txt"), "inner");
    EXPECT_FALSE(FolderExists(destination + "\\FolderLink"));
    EXPECT_FALSE(FolderExists(destination + "\\EmptyLink"));
    EXPECT_FALSE(FileExists(destination + "\\FileLink"));
    DeleteDirectoryNoErrors(destination + "\\Sub");
}

TEST_F(FileLinkTest, CopyingIntoALinkedFolderIsRefused) {
    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(LinksFolder + "\\Tree", LinksFolder + "\\RootLink", true);
    ExpectRecord(fsError, "CopyDeleteDirectory", "Failed to create directory.", LinksFolder + "\\Tree",
                 LinksFolder + "\\RootLink");
    EXPECT_FALSE(FileExists(LinksFolder + "\\Outside\\plain.txt"));
    EXPECT_EQ(answerer.Count(), 1u);
}

TEST_F(FileLinkTest, DeletingModeLeavesLinkTargets) {
    TMessageBoxAnswerer answerer("Error", IDOK);
    CopyDeleteDirectory(LinksFolder + "\\Tree", LinksFolder + "\\Destination", false);
    ExpectPerfect();
    ExpectOutsideIntact();
    EXPECT_FALSE(FileExists(LinksFolder + "\\Tree\\plain.txt"));
    DeleteDirectoryNoErrors(LinksFolder + "\\Destination\\Sub");
}

// --- the shell ------------------------------------------------------------------------------

TEST_F(FileTest, RunningAMissingFileFailsWithTheSystemCode) {
    TTempFolder folder("RunMissing");
    RunFile(folder / "missing.exe", "", "", true, false);
    ExpectRecord(fsError, "RunFile", "Failed to run file.", folder / "missing.exe");
    EXPECT_NE(CurrentFunStatContext.SystemErrorCode, 0);

    RunFile("", "", "", true, false);
    ExpectPerfect();
}

TEST_F(FileTest, RunFileStartsAProgramWithQuotedParametersInItsFolder) {
    TTempFolder folder("RunProgram");
    const std::string tool = TestProgramDirectory() + "TouchFile.exe";
    ASSERT_TRUE(FileExists(tool)) << "TouchFile.exe is staged beside the tests";

    RunFile(tool, "a b", folder.Path(), true, false);
    ExpectPerfect();
    ASSERT_TRUE(WaitForFile(folder / "TouchFile.txt", 10000));
    std::string text = ReadFileBytes(folder / "TouchFile.txt");
    EXPECT_NE(text.find(" \"a b\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n" + folder.Path() + "\n"), std::string::npos) << text;

    DeleteFileA((folder / "TouchFile.txt").c_str());
    RunFile(tool, "a b", folder.Path(), false, true);
    ExpectPerfect();
    ASSERT_TRUE(WaitForFile(folder / "TouchFile.txt", 10000));
    text = ReadFileBytes(folder / "TouchFile.txt");
    EXPECT_NE(text.find(" a b\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('"', text.find("TouchFile.exe") + 14), std::string::npos) << "no quotes added: " << text;
}

TEST_F(FileTest, RunFileOpensADocumentWithItsProgram) {
    TTempFolder folder("RunDocument");
    const std::string marker = folder / "marker.txt";
    MakeFile(folder / "write marker.bat", "@echo done> \"" + marker + "\"\r\n");
    RunFile(folder / "write marker.bat", "", "", true, false);
    ExpectPerfect();
    EXPECT_TRUE(WaitForFile(marker, 15000));
}

TEST_F(FileTest, OpenSiteShowsTheCallersMessageAndEndsPerfect) {
    TTempFolder folder("OpenSite");
    TRecordingView view;
    TErrorReportView* saved = ErrorForm;
    ErrorForm = &view;
    OpenSite(folder / "missing.html", "Failed to open site.");
    ErrorForm = saved;
    ExpectPerfect();
    ASSERT_EQ(view.Descriptions.size(), 1u);
    EXPECT_EQ(view.Descriptions[0], "Failed to open site.");
    EXPECT_NE(view.Reports[0].find("* Function: \"RunFile\""), std::string::npos) << view.Reports[0];
    EXPECT_NE(view.Reports[0].find("* Description: \"Failed to run file.\""), std::string::npos);
    EXPECT_NE(view.Reports[0].find("* Parameter 1: \"" + (folder / "missing.html") + "\""), std::string::npos);
    EXPECT_NE(view.Reports[0].find("SHOW CONTEXT\r\n* File: \"File\"\r\n* Function: \"\""), std::string::npos)
        << view.Reports[0];
}

TEST_F(FileTest, BrowseForDirectoryStartsAtTheRootOverItsOwner) {
    TTempFolder folder("Browse");  // no subfolders: the root is the only choice
    OleInitialize(nullptr);
    const HWND owner = CreateWindowExA(0, "STATIC", "Browse owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                       nullptr, nullptr);
    std::string chosen = "stale";
    {
        TMessageBoxAnswerer answerer("Browse for Folder", IDCANCEL);
        EXPECT_FALSE(BrowseForDirectory("Pick a folder", folder.Path(), chosen, owner));
        ASSERT_EQ(answerer.Count(), 1u);
        EXPECT_EQ(answerer.Owners()[0], owner);
    }
    DestroyWindow(owner);
    EXPECT_EQ(chosen, "");
    {
        TMessageBoxAnswerer answerer("Browse for Folder", IDOK);
        EXPECT_TRUE(BrowseForDirectory("Pick a folder", folder.Path(), chosen));
    }
    EXPECT_TRUE(IsSamePath(chosen, folder.Path())) << chosen;
    OleUninitialize();
}

}  // namespace
