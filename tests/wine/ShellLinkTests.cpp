// Shortcut files written through the shell's link object and read back through it, under Wine.
#include "Include/Core/FunStat.h"
#include "Include/File.h"
#include "Include/ShellLink.h"
#include "support/ShellLinks.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

namespace {

void ExpectFailure(const std::string& description, const std::string& linkFile) {
    const TFunStatContext& record = CurrentFunStatContext;
    EXPECT_EQ(record.Status, fsError);
    EXPECT_EQ(record.File, "Include\\File");
    EXPECT_EQ(record.Function, "TLinkFile::Save");
    EXPECT_EQ(record.Description, description);
    EXPECT_EQ(record.Parameter1, linkFile);
}

void ExpectPerfect() { EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description; }

// The short (8.3) name of an existing path, which the tests then expect back in long form.
std::string ShortPathOf(const std::string& path) {
    char buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return length && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

class ShellLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        CurrentFunStatContext.Reset(fsPerfect);
        WriteFileBytes(folder / "Target.exe", "not really a program");
        CreateDirectoryA((folder / "A long folder name").c_str(), nullptr);
        WriteFileBytes(folder / "A long folder name\\Game file.txt", "text");
    }
    void TearDown() override {
        SetCurrentDirectoryA(TestProgramDirectory().c_str());
        CurrentFunStatContext.Reset(fsPerfect);
        OleUninitialize();
    }
    TTempFolder folder{"ShellLink"};
};

// --- what a shortcut holds ------------------------------------------------------------------

TEST_F(ShellLinkTest, RelativeTargetIsStoredAsItsFullLongPathWithArgumentsAndFolder) {
    const std::string shortFolder = ShortPathOf(folder / "A long folder name");
    ASSERT_NE(shortFolder, "");
    ASSERT_EQ(shortFolder.find("A long folder name"), std::string::npos) << "Wine gave no short name";
    ASSERT_TRUE(SetCurrentDirectoryA(shortFolder.c_str()));
    const std::string link = folder / "Relative.lnk";

    CopyFileAsLink("..\\" + NameOfPath(shortFolder) + "\\Game file.txt", link, true, "-x \"two words\"", true, false);

    ExpectPerfect();
    const TReadLink read = ReadLink(link);
    ASSERT_TRUE(read.Loaded);
    EXPECT_EQ(read.Target, folder / "A long folder name\\Game file.txt");
    EXPECT_EQ(read.Arguments, "-x \"two words\"");
    EXPECT_TRUE(IsSamePath(read.WorkingDirectory, folder / "A long folder name\\")) << read.WorkingDirectory;
    EXPECT_EQ(read.ShowCommand, static_cast<uint32_t>(SW_SHOWNORMAL)) << "a plain shortcut opens a normal window";
}

TEST_F(ShellLinkTest, BareFileNameWorksInItsOwnFolder) {
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    CopyFileAsLink("Target.exe", folder / "Bare.lnk", true, "", true, false);
    ExpectPerfect();
    const TReadLink read = ReadLink(folder / "Bare.lnk");
    EXPECT_EQ(read.Target, folder / "Target.exe");
    EXPECT_TRUE(IsSamePath(read.WorkingDirectory, folder.Path() + "\\")) << read.WorkingDirectory;
}

TEST_F(ShellLinkTest, MinimisedShortcutWithoutWorkingFolder) {
    CopyFileAsLink(folder / "Target.exe", folder / "Minimised.lnk", true, "", false, true);
    ExpectPerfect();
    const TReadLink read = ReadLink(folder / "Minimised.lnk");
    ASSERT_TRUE(read.Loaded);
    EXPECT_EQ(read.ShowCommand, static_cast<uint32_t>(SW_SHOWMINNOACTIVE));
    EXPECT_EQ(read.WorkingDirectory, "");
    EXPECT_EQ(read.Arguments, "");
}

TEST_F(ShellLinkTest, ShortcutWithParameterWorksInTheTargetsFolder) {
    CopyFileAsLinkWithParam(folder / "Target.exe", folder / "Uninstall.lnk", "/Uninstall", true);
    ExpectPerfect();
    const TReadLink read = ReadLink(folder / "Uninstall.lnk");
    ASSERT_TRUE(read.Loaded);
    EXPECT_EQ(read.Target, folder / "Target.exe");
    EXPECT_EQ(read.Arguments, "/Uninstall");
    EXPECT_TRUE(IsSamePath(read.WorkingDirectory, folder.Path() + "\\")) << read.WorkingDirectory;
    EXPECT_EQ(read.ShowCommand, static_cast<uint32_t>(SW_SHOWNORMAL));
}

TEST_F(ShellLinkTest, SaveKeepsEveryFieldOfTheRecord) {
    TLinkFile record;
    record.Target = folder / "Target.exe";
    record.Arguments = "a b";
    record.Description = "The game";
    record.IconPath = folder / "Target.exe";
    record.IconIndex = 2;
    record.HotKey = MAKEWORD('T', HOTKEYF_CONTROL | HOTKEYF_ALT);
    EXPECT_TRUE(record.Save(folder / "Full.lnk", true));
    ExpectPerfect();

    IShellLinkA* link = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                              reinterpret_cast<void**>(&link)));
    IPersistFile* file = nullptr;
    ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    const std::string name = folder / "Full.lnk";
    ASSERT_HRESULT_SUCCEEDED(file->Load(std::wstring(name.begin(), name.end()).c_str(), STGM_READ));
    char text[MAX_PATH] = {};
    link->GetDescription(text, MAX_PATH);
    EXPECT_STREQ(text, "The game");
    int iconIndex = -1;
    link->GetIconLocation(text, MAX_PATH, &iconIndex);
    EXPECT_STREQ(text, (folder / "Target.exe").c_str());
    EXPECT_EQ(iconIndex, 2);
    WORD hotKey = 0;
    link->GetHotkey(&hotKey);
    EXPECT_EQ(hotKey, MAKEWORD('T', HOTKEYF_CONTROL | HOTKEYF_ALT));
    file->Release();
    link->Release();
}

// A name longer than the classic path limit is converted whole, not cut at 260 characters.
TEST_F(ShellLinkTest, LongLinkNameIsNotCut) {
    std::string deep = folder.Path();
    while (deep.size() < 200) {
        deep += "\\" + std::string(40, 'd');
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    }
    const std::string link = deep + "\\" + std::string(80, 'n') + ".lnk";
    ASSERT_GT(link.size(), 260u);
    CopyFileAsLink(folder / "Target.exe", link, true, "", true, false);
    ExpectPerfect();
    // The ANSI file functions stop at 260 characters; the folder's listing names the file.
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((deep + "\\*.lnk").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no shortcut written";
    FindClose(search);
    EXPECT_EQ(found.cFileName, NameOfPath(link));
    EXPECT_EQ(ReadLink(link).Target, folder / "Target.exe");
    EXPECT_TRUE(DeleteFileW(std::wstring(link.begin(), link.end()).c_str())) << "left for the folder's clean-up";
}

// --- refusals and failures ------------------------------------------------------------------

TEST_F(ShellLinkTest, ChainedLinksAreRefusedInAnyLetterCase) {
    for (const char* target : {"Other.lnk", "OTHER.PIF", "other.Lnk"}) {
        const std::string link = folder / "Chained.lnk";
        CopyFileAsLink(folder / target, link, true, "", true, false);
        ExpectFailure("This operating system does not support chained links.", link);
        EXPECT_FALSE(FileExists(link)) << target;
        CurrentFunStatContext.Reset(fsPerfect);
    }
    CopyFileAsLinkWithParam(folder / "x.lnk", folder / "Chained.lnk", "/Uninstall", true);
    ExpectFailure("This operating system does not support chained links.", folder / "Chained.lnk");

    TLinkFile record;
    record.Target = folder / "x.pif";
    EXPECT_FALSE(record.Save(folder / "Chained.lnk", true)) << "no COM call failed, yet the save did";
    EXPECT_EQ(record.Target, "") << "a failed save clears the record";
}

TEST_F(ShellLinkTest, FailedSaveClearsTheRecordAndReportsTheComResult) {
    TLinkFile record;
    record.Target = folder / "Target.exe";
    record.Arguments = "kept until the failure";
    const std::string link = folder / "Missing folder\\Shortcut.lnk";
    EXPECT_FALSE(record.Save(link, true));
    ExpectFailure("Failed to save link file.", link);
    EXPECT_LT(CurrentFunStatContext.SystemErrorCode, 0) << "the failing COM result";
    EXPECT_EQ(record.Target, "");
    EXPECT_EQ(record.Arguments, "");
    EXPECT_FALSE(FileExists(link));
}

TEST_F(ShellLinkTest, ExistingShortcutIsKeptWithoutReplaceAndRewrittenWithIt) {
    const std::string link = folder / "Existing.lnk";
    CopyFileAsLink(folder / "Target.exe", link, true, "first", true, false);
    ExpectPerfect();
    const std::string before = ReadFileBytes(link);

    TLinkFile record;
    record.Target = folder / "Target.exe";
    record.Arguments = "second";
    EXPECT_TRUE(record.Save(link, false));
    ExpectPerfect();
    EXPECT_EQ(ReadFileBytes(link), before) << "left byte for byte";

    CopyFileAsLink(folder / "Target.exe", link, true, "second", true, false);
    ExpectPerfect();
    EXPECT_EQ(ReadLink(link).Arguments, "second");
}

// --- names and program kinds ----------------------------------------------------------------

TEST_F(ShellLinkTest, LinkFileNamesAndExtensions) {
    EXPECT_TRUE(IsLinkFileName("C:\\x\\Game.lnk"));
    EXPECT_TRUE(IsLinkFileName("Game.PIF"));
    EXPECT_TRUE(IsLinkFileName("a.b.LnK"));
    EXPECT_FALSE(IsLinkFileName("Game.lnk.exe"));
    EXPECT_FALSE(IsLinkFileName("C:\\Shortcuts.lnk\\Game"));
    EXPECT_FALSE(IsLinkFileName("lnk"));
    EXPECT_FALSE(IsLinkFileName(""));

    const std::string ownProgram = TestProgramDirectory() + "Tilvane.exe";
    ASSERT_TRUE(FileExists(ownProgram));
    EXPECT_FALSE(IsDosProgram(ownProgram));
    EXPECT_EQ(LinkExtensionFor(ownProgram), ".lnk");
    EXPECT_FALSE(IsDosProgram(folder / "Missing.exe"));
    EXPECT_EQ(LinkExtensionFor(folder / "Game file.txt"), ".lnk");
}

TEST_F(ShellLinkTest, DosProgramsGetPifShortcuts) {
    std::string header(128, '\0');  // an MS-DOS header without a Windows part behind it
    header[0] = 'M';
    header[1] = 'Z';
    header[2] = static_cast<char>(0x80);
    header[4] = 1;
    header[8] = 4;
    WriteFileBytes(folder / "Old.exe", header);
    WriteFileBytes(folder / "Old.com", std::string("\xB4\x4C\xCD\x21", 4));  // ends at once
    EXPECT_TRUE(IsDosProgram(folder / "Old.exe"));
    EXPECT_TRUE(IsDosProgram(folder / "Old.com"));
    EXPECT_EQ(LinkExtensionFor(folder / "Old.exe"), ".pif");
}

}  // namespace
