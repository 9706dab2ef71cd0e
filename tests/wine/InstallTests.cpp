// The installer's path rules, in process under Wine: where an installation goes, and which
// directories it must never copy into or delete.
#include "Include/Core/FunStat.h"
#include "Include/File.h"
#include "Include/Install.h"
#include "Include/Program.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

std::string ShortPathOf(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string SpecialFolder(int id) {
    char buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buffer))) return std::string();
    return buffer;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

TEST(InstallPaths, PackageFolderNamesTheTargetAndTheProgramGroup) {
    const std::string menu = "C:\\Start Menu\\Programs\\";
    const TInstallPaths paths = InstallPathsFor("Tilvane", "D:\\Setup\\PuzzleFolder\\", "C:\\Program Files\\", menu);
    EXPECT_EQ(paths.SourceDirectory, "D:\\Setup\\PuzzleFolder\\");
    EXPECT_EQ(paths.FolderName, "PuzzleFolder");
    EXPECT_EQ(paths.TargetDirectory, "C:\\Program Files\\PuzzleFolder");
    EXPECT_EQ(paths.ProgramFile, "C:\\Program Files\\PuzzleFolder\\Tilvane.exe");
    EXPECT_EQ(paths.UninstallCommand, "\"C:\\Program Files\\PuzzleFolder\\Tilvane.exe\" /Uninstall")
        << "quoted: unquoted, C:\\Program.exe would be started instead";
    EXPECT_EQ(paths.ReadmeFile, "C:\\Program Files\\PuzzleFolder\\Readme.txt");
    EXPECT_EQ(paths.ProgramGroup, "C:\\Start Menu\\Programs\\PuzzleFolder");

    // A chosen directory without its backslash, and a Start menu the shell could not name.
    const TInstallPaths bare = InstallPathsFor("Tilvane", "D:\\Setup\\PuzzleFolder\\", "E:\\Games", "");
    EXPECT_EQ(bare.TargetDirectory, "E:\\Games\\PuzzleFolder");
    EXPECT_EQ(bare.ProgramGroup, "") << "never a group relative to the current directory";
}

// --- the package folder is never its own installation directory -----------------------------

class InstallPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryA((folder / "Package folder").c_str(), nullptr);
        CreateDirectoryA((folder / "Package folder\\Inner").c_str(), nullptr);
        CreateDirectoryA((folder / "Package folder sibling").c_str(), nullptr);
    }
    TTempFolder folder{"InstallPaths"};
};

TEST_F(InstallPathTest, SameOrInsideWhateverTheSpelling) {
    const std::string package = folder / "Package folder";
    EXPECT_TRUE(IsSameOrInsidePath(package, package));
    EXPECT_TRUE(IsSameOrInsidePath(package + "\\", package));
    EXPECT_TRUE(IsSameOrInsidePath(Lower(package) + "\\INNER", package));
    EXPECT_TRUE(IsSameOrInsidePath(folder / "Package folder/Inner/New", package)) << "forward slashes";
    EXPECT_TRUE(IsSameOrInsidePath(folder / "Package folder\\Inner\\..\\..\\Package folder\\New", package));
    EXPECT_TRUE(IsSameOrInsidePath(folder / "Package folder\\.\\Inner", package));
    EXPECT_TRUE(IsSameOrInsidePath("\\\\?\\" + package + "\\Inner", package)) << "the long-path form";

    const std::string shortPackage = ShortPathOf(package);
    ASSERT_NE(shortPackage, "");
    ASSERT_EQ(shortPackage.find("Package folder"), std::string::npos) << "Wine gave no short name";
    EXPECT_TRUE(IsSameOrInsidePath(shortPackage + "\\Not yet made\\Deeper", package));
    EXPECT_TRUE(IsSameOrInsidePath(package + "\\Inner", shortPackage));

    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    EXPECT_TRUE(IsSameOrInsidePath("Package folder\\Inner", package)) << "relative to the current directory";
    SetCurrentDirectoryA(TestProgramDirectory().c_str());
}

TEST_F(InstallPathTest, NeighboursAndParentsAreNotInside) {
    const std::string package = folder / "Package folder";
    EXPECT_FALSE(IsSameOrInsidePath(folder / "Package folder sibling", package)) << "a name that only starts alike";
    EXPECT_FALSE(IsSameOrInsidePath(folder.Path(), package));
    EXPECT_FALSE(IsSameOrInsidePath(folder / "Package folder\\..", package));
    EXPECT_FALSE(IsSameOrInsidePath("D:\\Package folder", package));
    EXPECT_FALSE(IsSameOrInsidePath("", package));
    EXPECT_FALSE(IsSameOrInsidePath(package, ""));
}

TEST_F(InstallPathTest, DevicePathsNameThePackageToo) {
    const std::string package = folder / "Package folder";
    EXPECT_TRUE(IsSameOrInsidePath("\\\\.\\" + package + "\\Inner", package));
    EXPECT_TRUE(IsSameOrInsidePath(package + "\\New", "\\\\.\\" + package));
    EXPECT_TRUE(IsSameOrInsidePath("\\\\?\\" + Lower(package) + "\\New", "\\\\.\\" + package));
    EXPECT_FALSE(IsSameOrInsidePath("\\\\.\\" + folder / "Package folder sibling", package));
}

// Wine 8 cannot make links from Windows programs; the test runner makes Unix symbolic links in
// C:\Tilvane\links (see FileTests.cpp): PackageLink -> Package, WindowsLink -> C:\windows and
// Installation\Sample pictures -> ..\Outside pictures.
class InstallLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetFileAttributesA((Links + "\\Tree").c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "the test runner made no links in " << Links;
        CreateDirectoryA(Package.c_str(), nullptr);
        CreateDirectoryA((Package + "\\Inner").c_str(), nullptr);
        ASSERT_NE(GetFileAttributesA((Links + "\\PackageLink\\Inner").c_str()), INVALID_FILE_ATTRIBUTES)
            << "the link does not lead into the package";
    }
    const std::string Links = "C:\\Tilvane\\links";
    const std::string Package = Links + "\\Package";
};

TEST_F(InstallLinkTest, ALinkIntoThePackageIsInsideIt) {
    EXPECT_TRUE(IsSameOrInsidePath(Links + "\\PackageLink", Package));
    EXPECT_TRUE(IsSameOrInsidePath(Links + "\\PackageLink\\Inner\\Not yet made", Package));
    EXPECT_TRUE(IsSameOrInsidePath("\\\\?\\" + Links + "\\PackageLink\\Package", Package));
    EXPECT_TRUE(IsSameOrInsidePath(Package + "\\Inner", Links + "\\PackageLink")) << "the package inside the target";
    EXPECT_FALSE(IsSameOrInsidePath(Links + "\\Outside", Package));
}

TEST_F(InstallLinkTest, ALinkToASystemFolderIsProtected) {
    EXPECT_TRUE(IsProtectedDirectory(Links + "\\WindowsLink"));
    EXPECT_TRUE(IsProtectedDirectory("\\\\.\\" + Links + "\\WindowsLink\\"));
    EXPECT_FALSE(IsProtectedDirectory(Links + "\\PackageLink"));
}

// Removes what a test made, however it ends.
struct TMadeEntries {
    std::vector<std::string> Paths;
    ~TMadeEntries() {
        for (const std::string& path : Paths) RemoveTree(path);
    }
};

// A package folder that another user swapped for a link to a folder of the player's: uninstalling
// deletes the installation's own files, and nothing behind the link, nor a file with another name
// there (a hard link), loses a byte or an attribute.
TEST_F(InstallLinkTest, UninstallingReachesNothingBehindALinkedPackageFolder) {
    const std::string installation = Links + "\\Installation";
    const std::string outside = Links + "\\Outside pictures";
    const TMadeEntries made{{outside, installation + "\\HelpPictures", installation + "\\Readme.txt",
                             installation + "\\Installed files.txt"}};
    CreateDirectoryA(outside.c_str(), nullptr);
    const std::string outsideFile = outside + "\\Credits.txt";
    WriteFileBytes(outsideFile, "the player's");
    ASSERT_TRUE(SetFileAttributesA(outsideFile.c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD outsideAttributes = GetFileAttributesA(outsideFile.c_str());
    if (!(GetFileAttributesA((installation + "\\Sample pictures").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !FileExists(installation + "\\Sample pictures\\Credits.txt"))
        GTEST_SKIP() << "the test runner made no link " << installation << "\\Sample pictures";
    CreateDirectoryA((installation + "\\HelpPictures").c_str(), nullptr);
    const std::string ownFile = installation + "\\HelpPictures\\Sample.png";
    WriteFileBytes(ownFile, "the installation's");
    ASSERT_TRUE(SetFileAttributesA(ownFile.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string hardLink = installation + "\\HelpPictures\\Linked.txt";
    ASSERT_TRUE(CreateHardLinkA(hardLink.c_str(), outsideFile.c_str(), nullptr));
    WriteFileBytes(installation + "\\Readme.txt", "read me");
    WriteFileBytes(installation + "\\Installed files.txt",
                   "HelpPictures\\Sample.png\r\nHelpPictures\\Linked.txt\r\nSample pictures\\Credits.txt\r\n");

    const std::vector<std::string> kept = DeleteInstalledPackage(installation, "Tilvane");
    ASSERT_TRUE(FileExists(outsideFile)) << "deleted through the link";
    EXPECT_EQ(ReadFileBytes(outsideFile), "the player's");
    EXPECT_EQ(GetFileAttributesA(outsideFile.c_str()), outsideAttributes) << "still read-only";
    EXPECT_TRUE(FileExists(hardLink));
    EXPECT_FALSE(FileExists(ownFile)) << "read-only, and the installation's";
    EXPECT_FALSE(FileExists(installation + "\\Readme.txt"));
    EXPECT_FALSE(FileExists(installation + "\\Installed files.txt"));
    EXPECT_EQ(kept, (std::vector<std::string>{"HelpPictures", "Sample pictures"}));
    EXPECT_TRUE(GetFileAttributesA((installation + "\\Sample pictures").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT)
        << "the link is left as it is";
}

// --- directories an uninstall never deletes ---------------------------------------------------

TEST(InstallProtectedDirectories, RootsAndSpecialFoldersAreProtected) {
    for (const char* root : {"C:\\", "C:", "c:/", "\\\\?\\C:\\", "\\\\.\\C:\\", "\\\\.\\C:", "\\\\server\\share",
                             "\\\\server\\share\\", "\\\\?\\UNC\\server\\share", "C:\\Windows\\.."})
        EXPECT_TRUE(IsProtectedDirectory(root)) << root;
    for (const char* system :
         {"\\\\.\\C:\\Windows", "\\\\?\\C:\\Windows", "\\\\.\\c:\\windows\\", "\\\\?\\C:\\Windows\\System32", "//./C:/Windows"})
        EXPECT_TRUE(IsProtectedDirectory(system)) << "a device path: " << system;
    EXPECT_TRUE(IsProtectedDirectory(""));

    for (int id : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_PROFILE, CSIDL_PROGRAM_FILES,
                   CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
                   CSIDL_PROGRAMS, CSIDL_STARTUP}) {
        const std::string special = SpecialFolder(id);
        ASSERT_NE(special, "") << "folder id " << id;
        EXPECT_TRUE(IsProtectedDirectory(special)) << special;
        EXPECT_TRUE(IsProtectedDirectory(Lower(special) + "\\")) << special;
        EXPECT_TRUE(IsProtectedDirectory(special + "\\Sub\\..")) << special;
    }
    // A folder that holds special folders: the one with every user's profile.
    const std::string profile = SpecialFolder(CSIDL_PROFILE);
    EXPECT_TRUE(IsProtectedDirectory(DirectoryOfPath(profile))) << DirectoryOfPath(profile);
}

TEST(InstallProtectedDirectories, InstallationsInsideSpecialFoldersCanBeDeleted) {
    TTempFolder folder("Protected");
    EXPECT_FALSE(IsProtectedDirectory(folder.Path()));
    EXPECT_FALSE(IsProtectedDirectory(folder.Path() + "\\"));
    EXPECT_FALSE(IsProtectedDirectory(WithTrailingBackslash(GetProgramFilesPath()) + "Tilvane"));
    EXPECT_FALSE(IsProtectedDirectory(WithTrailingBackslash(GetDesktopPath()) + "Tilvane"));
    EXPECT_FALSE(IsProtectedDirectory(WithTrailingBackslash(GetProgramsMenuPath()) + "Tilvane"));
    EXPECT_TRUE(IsProtectedDirectory(WithTrailingBackslash(GetProgramsMenuPath()) + "Startup"))
        << "a program group named like the Startup folder is that folder";
}

// --- the installed program starts while the installer still runs -----------------------------

// The guard holder of the process tests stands in for the installed program: it signals when it
// got the instance guard, and ends at once without signalling when it finds the guard taken.
TEST(InstallStart, InstalledProgramGetsTheInstanceGuard) {
    ASSERT_FALSE(IsProgramInstanceRunning("Tilvane")) << "this process plays the installer";
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, "TilvaneTest_GuardHeld");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "TilvaneTest_GuardRelease");
    // A holder left over from an interrupted run may keep these events signalled.
    ResetEvent(held);
    ResetEvent(release);
    CurrentFunStatContext.Reset(fsPerfect);

    StartInstalledProgram(TestProgramDirectory() + "InstanceGuardHolder.exe");
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
    EXPECT_EQ(WaitForSingleObject(held, 20000), WAIT_OBJECT_0) << "the started program found the guard taken";

    SetEvent(release);
    CloseProgramInstance();  // a no-op unless the guard was never handed over
    for (int waited = 0; waited < 20000; waited += 50) {
        HANDLE guard = OpenMutexA(SYNCHRONIZE, FALSE, "Mutex_ProgramInstance_Tilvane");
        if (!guard) break;
        CloseHandle(guard);
        Sleep(50);
    }
    CloseHandle(held);
    CloseHandle(release);
}

}  // namespace
