// The settings file on real files under Wine: loading, saving, the overwrite question, read-only
// targets, failures at every step of a save, and a saving process killed at random moments.
#include "Include/Core/FunStat.h"
#include "Include/FileReplace.h"
#include "Include/StoredTextList.h"
#include "support/RecordingErrorView.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

namespace {

const char* const NoErrorDialogText = "The error-dialog form is not created. You must create it.";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..") names.insert(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

// An open handle that keeps others from the file as its share mode says.
class THeldFile {
public:
    THeldFile(const std::string& path, DWORD shareMode)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ, shareMode, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~THeldFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
private:
    HANDLE handle_;
};

class StoredTextListTest : public ::testing::Test {
protected:
    void SetUp() override {
        CurrentFunStatContext.Reset(fsPerfect);
        savedForm_ = ErrorForm;
    }
    void TearDown() override {
        FileReplaceFailingStep = frsNone;
        ErrorForm = savedForm_;
        CurrentFunStatContext.Reset(fsPerfect);
    }
    void RecordReports() { ErrorForm = &view; }

    TTempFolder folder{"StoredTextList"};
    TRecordingView view;

private:
    TErrorReportView* savedForm_ = nullptr;
};

const std::string OldContent = "[TilvaneGame]\r\nColumnsCount=9\r\n\r\n";

// An owner that keeps nothing but its own values, as the game's lists do.
void WriteOptions(TStoredTextList& list) {
    list.Clear();
    list.WriteInteger("TilvaneGame", "ColumnsCount", 12);
    list.WriteBool("TilvaneGame", "LightGrid", true);
    list.WriteString("TilvaneGame", "PictureTitle", "C:\\Pictures\\Lake.jpg");
}
const std::string OptionsContent =
    "[TilvaneGame]\r\nColumnsCount=12\r\nLightGrid=TRUE\r\nPictureTitle=C:\\Pictures\\Lake.jpg\r\n\r\n";

TEST_F(StoredTextListTest, MissingFileEmptyNameOrFolderLoadEmpty) {
    for (const std::string& name : {folder / "missing.ini", std::string(), folder.Path(), folder / "no\\such.ini"}) {
        TStoredTextList list(name);
        int calls = 0;
        list.OnAfterLoad = [&](TStoredTextList& self) {
            ++calls;
            int32_t columns = 7;
            self.ReadInteger("TilvaneGame", "ColumnsCount", columns, 30, 5);
            EXPECT_EQ(columns, 7);
        };
        EXPECT_TRUE(list.Load()) << name;
        EXPECT_EQ(calls, 1);
        ASSERT_NE(list.Store(), nullptr);
        EXPECT_TRUE(list.Store()->Sections().empty());
        EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << CurrentFunStatContext.Description;
    }
    EXPECT_FALSE(FileExists(folder / "missing.ini")) << "loading writes nothing";
}

TEST_F(StoredTextListTest, LoadReadsFileIgnoringLetterCase) {
    WriteFileBytes(folder / "game.tvg", "[tilvanegame]\nCOLUMNSCOUNT=0x1E\r\nlightgrid=TRUE\r[map]\r\nc0=5\r\n");
    TStoredTextList list(folder / "other.tvg");
    int32_t columns = 7, cell = 0;
    bool light = false;
    list.OnAfterLoad = [&](TStoredTextList& self) {
        self.ReadInteger("TilvaneGame", "ColumnsCount", columns, 30, 5);
        self.ReadBool("TilvaneGame", "LightGrid", light);
        self.ReadInteger("Map", "C0", cell, 29, 0);
    };
    ASSERT_TRUE(list.LoadFrom(folder / "game.tvg"));
    EXPECT_EQ(list.FileName, folder / "game.tvg");
    EXPECT_EQ(columns, 30);
    EXPECT_TRUE(light);
    EXPECT_EQ(cell, 5);
}

// A file locked at start: the list starts empty, is never written over while the file cannot be
// read, and is saved once the lock has gone.
TEST_F(StoredTextListTest, UnreadableFileFailsShowsAndHandsTheFailureOn) {
    WriteFileBytes(folder / "locked.ini", OldContent);
    TStoredTextList list(folder / "locked.ini");
    ASSERT_TRUE(list.Load());
    bool called = false;
    list.OnAfterLoad = [&](TStoredTextList&) { called = true; };
    list.OnBeforeSave = WriteOptions;
    auto lock = std::make_unique<THeldFile>(folder / "locked.ini", 0);
    ASSERT_TRUE(lock->Held());
    {
        TMessageBoxAnswerer errors("Error", IDOK);
        EXPECT_FALSE(list.Load());
        EXPECT_EQ(errors.Texts(), std::vector<std::string>{NoErrorDialogText});
    }
    EXPECT_FALSE(called);
    ASSERT_NE(list.Store(), nullptr);
    EXPECT_TRUE(list.Store()->Sections().empty()) << "the previous content is gone";
    EXPECT_EQ(CurrentFunStatContext.Status, fsError) << "the caller sees the failed load";
    EXPECT_EQ(CurrentFunStatContext.Function, "TStoredTextList::Load");
    EXPECT_EQ(CurrentFunStatContext.File, "Include\\StoredTextList");
    EXPECT_EQ(CurrentFunStatContext.Description, "Failed to open file.");
    EXPECT_EQ(CurrentFunStatContext.Parameter1, folder / "locked.ini");
    EXPECT_EQ(CurrentFunStatContext.SystemErrorCode, ERROR_SHARING_VIOLATION);
    int32_t columns = 7;
    list.ReadInteger("TilvaneGame", "ColumnsCount", columns, 30, 5);
    EXPECT_EQ(columns, 7) << "reads keep their defaults";

    RecordReports();
    CurrentFunStatContext.Reset(fsPerfect);
    EXPECT_FALSE(list.Save(false));
    ASSERT_EQ(view.Descriptions, std::vector<std::string>{"Failed to save file."});
    EXPECT_TRUE(Contains(view.Reports[0], "Failed to open file.")) << view.Reports[0];
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << "a failed save goes no further";
    lock.reset();
    EXPECT_EQ(ReadFileBytes(folder / "locked.ini"), OldContent);
    EXPECT_TRUE(list.Save(false)) << "the lock has gone: the next save writes";
    EXPECT_EQ(ReadFileBytes(folder / "locked.ini"), OptionsContent);
}

// A file far larger than any settings file is refused before it is read: no gigabytes of
// memory, no long wait, a clear report. A file of exactly the limit is still read.
TEST_F(StoredTextListTest, FileOverEightMegabytesIsRefusedUnread) {
    const std::string path = folder / "huge.tvg";
    auto makeFileOf = [&](LONGLONG size) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end = {};
        end.QuadPart = size;
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    };
    makeFileOf(8LL << 20);
    TStoredTextList list(path);
    bool called = false;
    list.OnAfterLoad = [&](TStoredTextList&) { called = true; };
    EXPECT_TRUE(list.Load()) << "8 MB of zero bytes is an odd file, not a refused one";

    makeFileOf((8LL << 20) + 1);
    RecordReports();
    called = false;
    EXPECT_FALSE(list.Load());
    EXPECT_FALSE(called);
    ASSERT_EQ(view.Descriptions, std::vector<std::string>{"Failed to load file."});
    EXPECT_TRUE(Contains(view.Reports[0], "The file is too large for a saved game or options file (more than 8 MB)."))
        << view.Reports[0];
    EXPECT_TRUE(Contains(view.Reports[0], path)) << view.Reports[0];
}

TEST_F(StoredTextListTest, ExceptionInOnAfterLoadFailsButKeepsWhatWasRead) {
    WriteFileBytes(folder / "a.ini", OldContent);
    TStoredTextList list(folder / "a.ini");
    list.OnAfterLoad = [](TStoredTextList&) { throw std::runtime_error("reader broke"); };
    RecordReports();
    EXPECT_FALSE(list.Load());
    ASSERT_EQ(view.Descriptions, std::vector<std::string>{"Failed to load file."});
    EXPECT_EQ(CurrentFunStatContext.Description, "Unhandled exception: reader broke");
    ASSERT_NE(list.Store(), nullptr);
    EXPECT_EQ(list.Store()->ToBytes(), OldContent);
}

TEST_F(StoredTextListTest, SaveWritesTheWrittenFormAndLoadReadsItBack) {
    TStoredTextList list(folder / "game.tvg");
    ASSERT_TRUE(list.Load());
    list.OnBeforeSave = [](TStoredTextList& self) {
        self.Clear();
        self.WriteInteger("TilvaneGame", "MovesCount", 12);
    };
    ASSERT_TRUE(list.Save(false));
    EXPECT_EQ(ReadFileBytes(folder / "game.tvg"), "[TilvaneGame]\r\nMovesCount=12\r\n\r\n");
    EXPECT_EQ(FolderEntries(folder.Path()), std::set<std::string>{"game.tvg"});

    TStoredTextList reader(folder / "game.tvg");
    int32_t moves = 0;
    reader.OnAfterLoad = [&](TStoredTextList& self) { self.ReadInteger("TilvaneGame", "movescount", moves, 2147483647, 0); };
    ASSERT_TRUE(reader.Load());
    EXPECT_EQ(moves, 12);
}

TEST_F(StoredTextListTest, ReadOnlyTargetIsReplacedAndEndsWithNormalAttributes) {
    WriteFileBytes(folder / "options.ini", OldContent);
    ASSERT_TRUE(SetFileAttributesA((folder / "options.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    TStoredTextList list(folder / "options.ini");
    list.OnBeforeSave = WriteOptions;
    ASSERT_TRUE(list.Load());
    ASSERT_TRUE(list.Save(false));
    EXPECT_EQ(ReadFileBytes(folder / "options.ini"), OptionsContent);
    EXPECT_EQ(Attributes(folder / "options.ini") & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_F(StoredTextListTest, OverwriteQuestionIsAskedOnceAndNoLeavesTheFile) {
    const std::string path = folder / "game.tvg";
    const std::string question = "File \"" + path + "\"already exists.\nOverwrite it?";
    TStoredTextList list(path);
    int beforeSaveCalls = 0;
    list.OnBeforeSave = [&](TStoredTextList& self) {
        ++beforeSaveCalls;
        WriteOptions(self);
    };
    ASSERT_TRUE(list.Load());
    {
        TMessageBoxAnswerer query("Query", IDNO);
        ASSERT_TRUE(list.Save(true)) << "no file yet: no question";
        EXPECT_EQ(query.Count(), 0u);
    }
    WriteFileBytes(path, OldContent);
    {
        TMessageBoxAnswerer query("Query", IDNO);
        EXPECT_FALSE(list.Save(true));
        EXPECT_EQ(query.Texts(), std::vector<std::string>{question});
    }
    EXPECT_EQ(ReadFileBytes(path), OldContent);
    EXPECT_EQ(beforeSaveCalls, 1) << "a declined save does not ask for the values";
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect) << "declining is no failure";
    {
        TMessageBoxAnswerer query("Query", IDYES);
        EXPECT_TRUE(list.Save(true));
        EXPECT_EQ(query.Texts(), std::vector<std::string>{question});
    }
    EXPECT_EQ(ReadFileBytes(path), OptionsContent);
}

TEST_F(StoredTextListTest, SaveAsStartsFromTheFileAsLoadWouldReadIt) {
    WriteFileBytes(folder / "old.ini", "[Keep]\r\nk=1\r\n");
    TStoredTextList list(folder / "unused.ini");
    bool loaded = false;
    list.OnAfterLoad = [&](TStoredTextList&) { loaded = true; };
    list.OnBeforeSave = [](TStoredTextList& self) { self.WriteInteger("TilvaneGame", "RowsCount", 5); };
    ASSERT_TRUE(list.SaveAs(folder / "old.ini", false));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(list.FileName, folder / "old.ini");
    EXPECT_EQ(ReadFileBytes(folder / "old.ini"), "[Keep]\r\nk=1\r\n\r\n[TilvaneGame]\r\nRowsCount=5\r\n\r\n");

    TStoredTextList fresh(folder / "unused.ini");
    fresh.OnBeforeSave = WriteOptions;
    ASSERT_TRUE(fresh.SaveAs(folder / "new.ini", false));
    EXPECT_EQ(ReadFileBytes(folder / "new.ini"), OptionsContent);
}

TEST_F(StoredTextListTest, SaveAsOfAnUnreadableFileIsAFailedSave) {
    WriteFileBytes(folder / "locked.ini", OldContent);
    TStoredTextList list(folder / "unused.ini");
    list.OnBeforeSave = WriteOptions;
    RecordReports();
    {
        THeldFile lock(folder / "locked.ini", 0);
        ASSERT_TRUE(lock.Held());
        EXPECT_FALSE(list.SaveAs(folder / "locked.ini", false));
    }
    ASSERT_EQ(view.Descriptions, std::vector<std::string>{"Failed to save file."});
    EXPECT_TRUE(Contains(view.Reports[0], "Failed to open file."));
    EXPECT_EQ(ReadFileBytes(folder / "locked.ini"), OldContent);
    EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);
}

// Whatever step fails, the old file stays byte for byte (read-only flag included) and the new
// file is gone.
TEST_F(StoredTextListTest, SaveFailingAtEachStepLeavesTheOldFile) {
    const std::string path = folder / "game.tvg";
    const struct {
        TFileReplaceStep Step;
        const char* Description;
        DWORD Attributes;
    } cases[] = {
        {frsCreate, "Failed to create the new file.", FILE_ATTRIBUTE_ARCHIVE},
        {frsWrite, "Failed to write the new file.", FILE_ATTRIBUTE_ARCHIVE},
        {frsFlush, "Failed to flush the new file.", FILE_ATTRIBUTE_ARCHIVE},
        {frsRename, "Failed to put the new file in place of the old one.", FILE_ATTRIBUTE_ARCHIVE},
        {frsRename, "Failed to put the new file in place of the old one.", FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Description);
        WriteFileBytes(path, OldContent);
        SetFileAttributesA(path.c_str(), c.Attributes);
        const DWORD attributesBefore = Attributes(path);
        TStoredTextList list(path);
        list.OnBeforeSave = WriteOptions;
        ASSERT_TRUE(list.Load());
        FileReplaceFailingStep = c.Step;
        TMessageBoxAnswerer errors("Error", IDOK);
        EXPECT_FALSE(list.Save(false));
        FileReplaceFailingStep = frsNone;
        EXPECT_EQ(errors.Texts(), std::vector<std::string>{NoErrorDialogText});
        EXPECT_EQ(CurrentFunStatContext.Status, fsPerfect);
        EXPECT_EQ(ReadFileBytes(path), OldContent);
        EXPECT_EQ(Attributes(path), attributesBefore);
        EXPECT_EQ(Attributes(path) & FILE_ATTRIBUTE_READONLY, c.Attributes & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(FolderEntries(folder.Path()), std::set<std::string>{"game.tvg"}) << "no stray new file";
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

        // The report names the step that failed and the file.
        RecordReports();
        FileReplaceFailingStep = c.Step;
        EXPECT_FALSE(list.Save(false));
        FileReplaceFailingStep = frsNone;
        ErrorForm = nullptr;
        ASSERT_EQ(view.Descriptions.size(), 1u);
        EXPECT_EQ(view.Descriptions[0], "Failed to save file.");
        EXPECT_TRUE(Contains(view.Reports[0], "* Function: \"WriteFileReplacing\"")) << view.Reports[0];
        EXPECT_TRUE(Contains(view.Reports[0], std::string("* Description: \"") + c.Description + "\""));
        EXPECT_TRUE(Contains(view.Reports[0], "* Parameter 1: \"" + path + "\""));
        EXPECT_TRUE(Contains(view.Reports[0], "* System error code: ")) << view.Reports[0];
        view.Descriptions.clear();
        view.Reports.clear();
    }
}

TEST_F(StoredTextListTest, RealRefusalsFailTheSameWay) {
    RecordReports();
    TStoredTextList list(folder / "no-folder\\game.tvg");
    list.OnBeforeSave = WriteOptions;
    ASSERT_TRUE(list.Load());
    EXPECT_FALSE(list.Save(false));
    ASSERT_EQ(view.Reports.size(), 1u);
    EXPECT_TRUE(Contains(view.Reports[0], "Failed to create the new file.")) << view.Reports[0];
    EXPECT_FALSE(FolderExists(folder / "no-folder"));

    // A file that another handle holds open without delete sharing cannot be renamed over.
    const std::string path = folder / "held.ini";
    WriteFileBytes(path, OldContent);
    TStoredTextList held(path);
    held.OnBeforeSave = WriteOptions;
    ASSERT_TRUE(held.Load());
    {
        THeldFile lock(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_TRUE(lock.Held());
        EXPECT_FALSE(held.Save(false));
    }
    ASSERT_EQ(view.Reports.size(), 2u);
    EXPECT_TRUE(Contains(view.Reports[1], "Failed to put the new file in place of the old one.")) << view.Reports[1];
    EXPECT_EQ(ReadFileBytes(path), OldContent);
    EXPECT_EQ(FolderEntries(folder.Path()), std::set<std::string>{"held.ini"});
    EXPECT_TRUE(held.Save(false)) << "once released, the same save goes through";
    EXPECT_EQ(ReadFileBytes(path), OptionsContent);
}

TEST_F(StoredTextListTest, RelativeNameSavesBesideItInTheCurrentFolder) {
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    TStoredTextList list("relative.ini");
    list.OnBeforeSave = WriteOptions;
    const bool saved = list.SaveAs("relative.ini", false);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(saved);
    EXPECT_EQ(ReadFileBytes(folder / "relative.ini"), OptionsContent);
    EXPECT_EQ(FolderEntries(folder.Path()), std::set<std::string>{"relative.ini"});
}

// The content SaveWorker writes for a generation, built the same way.
std::string WorkerContent(int generation, int valueLength) {
    TTextStore store;
    for (int n = 0; n < 8; ++n)
        store.WriteString("Map", "K" + std::to_string(n), std::string(valueLength + generation * 1000, "ab"[generation]));
    return store.ToBytes();
}

// Looks as often as it can: a half-written file lasts a few milliseconds.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition())
        if (GetTickCount() - start >= timeoutMs) return false;
    return true;
}

// The new file a save is writing, if one is there: its size, or -1.
long long NewFileSize(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\~tvl*.tmp").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return -1;
    FindClose(search);
    return (static_cast<long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

void DeleteNewFiles(const std::string& folder) {
    for (const std::string& name : FolderEntries(folder))
        if (name.rfind("~tvl", 0) == 0) DeleteFileA((folder + "\\" + name).c_str());
}

// Even rounds kill the worker as soon as a save's new file holds part of its content, so that
// kills land inside writes; odd rounds kill after a delay spread over every phase of a save.
TEST_F(StoredTextListTest, KilledWhileSavingLeavesExactlyTheOldOrTheNewContent) {
    const std::string worker = TestProgramDirectory() + "SaveWorker.exe";
    ASSERT_TRUE(FileExists(worker)) << "SaveWorker.exe must stand beside the test program";
    // About 4 MB a save: long enough for kills to land inside it, below the largest file read.
    const int valueLength = 1 << 19;
    const std::string contents[2] = {WorkerContent(0, valueLength), WorkerContent(1, valueLength)};
    const std::string path = folder / "killed.tvg";
    const int rounds = 20;
    int seen[2] = {0, 0}, killedWithNewFile = 0, killedMidWrite = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        DeleteNewFiles(folder.Path());
        WriteFileBytes(path, contents[0]);
        const std::string eventName = "TilvaneTest_SaveWorker_" + std::to_string(GetCurrentProcessId());
        HANDLE firstSaveDone = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
        ASSERT_NE(firstSaveDone, nullptr);
        {
            TChildProcess child("\"" + worker + "\" \"" + path + "\" " + std::to_string(valueLength) + " " + eventName);
            ASSERT_TRUE(child.Started());
            const bool started = WaitForSingleObject(firstSaveDone, 30000) == WAIT_OBJECT_0;
            CloseHandle(firstSaveDone);
            ASSERT_TRUE(started) << "exit code " << child.ExitCode();
            if (round % 2 == 0) {
                const bool writing = PollUntil([&] {
                    const long long size = NewFileSize(folder.Path());
                    return size > 0 && size < static_cast<long long>(contents[0].size());
                }, 30000);
                ASSERT_TRUE(writing) << "no save was seen half written";
            } else {
                Sleep(static_cast<DWORD>((round * 37) % 90));
            }
            ASSERT_EQ(child.ExitCode(), STILL_ACTIVE) << "the worker stopped saving by itself";
            child.Kill();
        }
        const long long leftover = NewFileSize(folder.Path());
        if (leftover >= 0) ++killedWithNewFile;
        if (leftover >= 0 && leftover < static_cast<long long>(contents[0].size())) ++killedMidWrite;
        const std::string found = ReadFileBytes(path);
        const bool isOld = found == contents[0], isNew = found == contents[1];
        ASSERT_TRUE(isOld || isNew) << "the file holds " << found.size() << " bytes of neither content";
        ++seen[isOld ? 0 : 1];
    }
    std::printf("killed saves: %d found the first content, %d the second; %d kills left a new file, %d of them "
                "half written\n", seen[0], seen[1], killedWithNewFile, killedMidWrite);
    // A kill takes a moment to land, so a targeted one may still come after the rename; most do not.
    EXPECT_GE(killedWithNewFile, rounds / 4) << "kills must land while a new file is written, before it is put in place";
    EXPECT_GE(killedMidWrite, 2) << "kills must land in the middle of a write";
    DeleteNewFiles(folder.Path());
    TStoredTextList list(path);
    EXPECT_TRUE(list.Load());
}

}  // namespace
