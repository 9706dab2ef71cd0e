// Names in every script on the real system under Wine: conversions at the wide entry points,
// old files in the legacy code page, pictures, shortcuts, folders and the uninstall entry.
#include "Include/Core/FunStat.h"
#include "Include/File.h"
#include "Include/MyGDIPlus.h"
#include "Include/ShellLink.h"
#include "Include/StoredTextList.h"
#include "Include/Utilities.h"
#include "Include/WideText.h"
#include "support/GdiplusPictures.h"
#include "support/ShellLinks.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace {

// One name of each kind: Latin-1, Greek, CJK and an emoji beyond the BMP.
const std::string Cafe = "Caf\xC3\xA9";                                // Café
const std::string Greek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1";  // Ελλάδα
const std::string Tokyo = "\xE6\x9D\xB1\xE4\xBA\xAC";                  // 東京
const std::string Grin = "\xF0\x9F\x98\x80";                           // U+1F600
const std::vector<std::string> Names = {Cafe, Greek, Tokyo, Grin + "smile"};

void ExpectPerfect() { EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description; }

class UnicodeNameTest : public ::testing::Test {
protected:
    void SetUp() override { CurrentFunStatContext.Reset(fsPerfect); }
    void TearDown() override { CurrentFunStatContext.Reset(fsPerfect); }
    TTempFolder folder{"Unicode"};
};

TEST_F(UnicodeNameTest, ProgramTextsAndWideTextsRoundTrip) {
    ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the test programs' manifest asks for UTF-8";
    EXPECT_EQ(Utf8ToWide(Tokyo + Grin), std::wstring(L"\x6771\x4EAC\xD83D\xDE00"));
    for (const std::string& name : Names) EXPECT_EQ(WideToUtf8(Utf8ToWide(name)), name);
    EXPECT_EQ(WideToUtf8(static_cast<const wchar_t*>(nullptr)), "");
}

TEST_F(UnicodeNameTest, LegacyTextIsReadInTheSystemsAnsiCodePage) {
    // The prefix's system locale is English (United States): Windows-1252.
    EXPECT_EQ(LegacyToUtf8("Caf\xE9 \x80"), Cafe + " \xE2\x82\xAC");
    EXPECT_EQ(WithLegacyLinesAsUtf8("a=Caf\xE9\r\nb=" + Tokyo + "\r\n"), "a=" + Cafe + "\r\nb=" + Tokyo + "\r\n");
}

TEST_F(UnicodeNameTest, OldSettingsFileInTheLegacyCodePageIsReadAndWrittenBackAsUtf8) {
    const std::string file = folder / "Old.tvg";
    WriteFileBytes(file, "[TilvaneGame]\r\nPictureTitle=C:\\Pictures\\Caf\xE9.png\r\n");
    TStoredTextList list(file);
    ASSERT_TRUE(list.Load());
    std::string picture;
    list.ReadString("TilvaneGame", "PictureTitle", picture, true, 259);
    EXPECT_EQ(picture, "C:\\Pictures\\" + Cafe + ".png");
    ASSERT_TRUE(list.Save(false));
    EXPECT_EQ(ReadFileBytes(file), "[TilvaneGame]\r\nPictureTitle=C:\\Pictures\\" + Cafe + ".png\r\n\r\n");
}

TEST_F(UnicodeNameTest, SettingsFilesNamedInEveryScriptKeepTheirUtf8Values) {
    for (const std::string& name : Names) {
        const std::string file = folder / (name + ".tvg");
        const std::string value = folder / (name + ".png");
        TStoredTextList written(file);
        ASSERT_TRUE(written.Load());
        written.WriteString("TilvaneGame", "PictureTitle", value);
        ASSERT_TRUE(written.Save(false)) << name;
        EXPECT_EQ(ReadFileBytes(file), "[TilvaneGame]\r\nPictureTitle=" + value + "\r\n\r\n");
        TStoredTextList read(file);
        ASSERT_TRUE(read.Load());
        std::string picture;
        read.ReadString("TilvaneGame", "PictureTitle", picture, true, 259);
        EXPECT_EQ(picture, value);
    }
}

class UnicodePictureTest : public UnicodeNameTest {
protected:

    // A 40 x 30 picture in the format of the MIME type; false when it could not be written.
    static bool MakePicture(const std::wstring& path, const wchar_t* mimeType) {
        CLSID encoder = CLSID();
        if (!EncoderFor(mimeType, encoder)) return false;
        return WritePictureFile(path, 40, 30, [](int x, int) { return x < 20 ? 0xFFFF0000u : 0xFF0000FFu; },
                                PixelFormat32bppRGB, encoder) == Gdiplus::Ok;
    }
    static void ExpectLoads(const std::string& path) {
        std::unique_ptr<TPicture> picture = LoadPictureFile(path);
        ExpectPerfect();
        ASSERT_NE(picture, nullptr) << path;
        EXPECT_EQ(picture->Width(), 40);
        EXPECT_EQ(picture->Height(), 30);
    }
};


TEST_F(UnicodePictureTest, PicturesNamedInEveryScriptLoadThroughGdiplusAndTheJpegDecoder) {
    for (const std::string& name : Names) {
        const std::string png = folder / (name + ".png"), jpeg = folder / (name + ".jpg");
        ASSERT_TRUE(MakePicture(Utf8ToWide(png), L"image/png"));
        ASSERT_TRUE(MakePicture(Utf8ToWide(jpeg), L"image/jpeg"));
        ExpectLoads(png);
        ExpectLoads(jpeg);
    }
}

// 250 characters of CJK are 750 bytes of UTF-8: the path reaches the file system in its long form.
TEST_F(UnicodePictureTest, LongPathOfCjkNamesLoads) {
    std::string path = folder.Path();
    std::vector<std::string> made;
    for (int i = 0; i < 5; ++i) {
        std::string name;
        for (int c = 0; c < 50; ++c) name += Tokyo.substr(3 * (c % 2), 3);
        path += "\\" + name + std::to_string(i);
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Utf8ToWide(path)).c_str(), nullptr));
        made.push_back(path);
    }
    const std::string picture = path + "\\" + Greek + Grin + ".png";
    ASSERT_GT(Utf8ToWide(picture).size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(MakePicture(L"\\\\?\\" + Utf8ToWide(picture), L"image/png"));
    ExpectLoads(picture);
    DeleteFileW((L"\\\\?\\" + Utf8ToWide(picture)).c_str());
    for (auto it = made.rbegin(); it != made.rend(); ++it) RemoveDirectoryW((L"\\\\?\\" + Utf8ToWide(*it)).c_str());
}

class UnicodeShellTest : public UnicodeNameTest {
protected:
    void SetUp() override {
        UnicodeNameTest::SetUp();
        OleInitialize(nullptr);
    }
    void TearDown() override {
        OleUninitialize();
        UnicodeNameTest::TearDown();
    }
};

TEST_F(UnicodeShellTest, ShortcutsKeepTargetFolderArgumentsAndLinkName) {
    const std::string directory = folder / (Tokyo + " " + Greek);
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(directory).c_str(), nullptr));
    const std::string target = directory + "\\" + Grin + "Tilvane.exe";
    WriteFileBytes(target, "not really a program");
    const std::string link = folder / (Cafe + " " + Tokyo + ".lnk");
    CopyFileAsLink(target, link, true, Greek + ".tvg", true, false);
    ExpectPerfect();
    const TReadLink read = ReadLink(link);
    ASSERT_TRUE(read.Loaded) << "no shortcut at " << link;
    EXPECT_EQ(read.Target, target);
    EXPECT_TRUE(IsSamePath(read.WorkingDirectory, directory + "\\")) << read.WorkingDirectory;
    EXPECT_EQ(read.Arguments, Greek + ".tvg");
}

// A folder of 100 CJK characters is 300 bytes: more than an ANSI buffer of MAX_PATH holds.
TEST_F(UnicodeShellTest, FolderTestsTakeNamesLongerThanMaxPathInBytes) {
    std::string name;
    for (int c = 0; c < 100; ++c) name += Tokyo;
    const std::string directory = folder / name.substr(0, 300);
    ASSERT_TRUE(CreateDirectoryW(Utf8ToWide(directory).c_str(), nullptr));
    EXPECT_TRUE(CanCreateFilesIn(directory));
    EXPECT_TRUE(CanCreateFilesIn(directory + "\\" + Greek + "\\" + Grin)) << "judged by the nearest existing folder";
    EXPECT_TRUE(PathExists(directory));
    EXPECT_FALSE(GetShellFolderPath(CSIDL_APPDATA, false).empty());
}

TEST_F(UnicodeShellTest, UninstallEntryIsStoredInUtf16) {
    const std::string keyName = "TilvaneUnicodeTest-" + std::to_string(GetCurrentProcessId());
    const std::string uninstall = "\"C:\\" + Tokyo + "\\" + Grin + "\\Tilvane.exe\" /Uninstall";
    struct TRemoveKey {
        std::string Name;
        ~TRemoveKey() { DeleteUninstallerRegistry(Name); }
    } removeKey{keyName};
    SetUninstallRegistry(keyName, "Tilvane " + Greek, uninstall);
    ExpectPerfect();
    auto read = [&](const wchar_t* name) {
        wchar_t value[512] = {};
        DWORD size = sizeof value;
        const LONG result = RegGetValueW(HKEY_LOCAL_MACHINE, Utf8ToWide(UninstallRegistryKey(keyName)).c_str(), name,
                                         RRF_RT_REG_SZ, nullptr, value, &size);
        return result == ERROR_SUCCESS ? std::wstring(value) : std::wstring(L"<missing>");
    };
    EXPECT_EQ(read(L"DisplayName"), L"Tilvane \x0395\x03BB\x03BB\x03AC\x03B4\x03B1");
    EXPECT_EQ(read(L"UninstallString"), L"\"C:\\\x6771\x4EAC\\\xD83D\xDE00\\Tilvane.exe\" /Uninstall");
}

}  // namespace
