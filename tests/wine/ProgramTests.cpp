// The process frame under Wine with real processes: the instance guard, the program's path and
// parameters, the mode choice, immediate termination and the last-resort handler.
#include "Include/Install.h"
#include "Include/Program.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Tool(const std::string& name) { return TestProgramDirectory() + name; }

class TEvent {
public:
    explicit TEvent(const char* name) : handle_(CreateEventA(nullptr, TRUE, FALSE, name)) {}
    ~TEvent() { CloseHandle(handle_); }
    bool Wait(DWORD milliseconds) { return WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0; }
    void Set() { SetEvent(handle_); }
private:
    HANDLE handle_;
};

// The first copy holds the guard until released.
class TGuardHolder {
public:
    TGuardHolder() : ready_("TilvaneTest_GuardHeld"), release_("TilvaneTest_GuardRelease"),
                     process_("\"" + Tool("InstanceGuardHolder.exe") + "\"") {}
    bool WaitHeld() { return ready_.Wait(20000); }
    DWORD Release() {
        release_.Set();
        process_.Wait(20000);
        return process_.ExitCode();
    }
    TChildProcess& Process() { return process_; }
private:
    TEvent ready_, release_;
    TChildProcess process_;
};

DWORD RunToEnd(const std::string& commandLine, DWORD timeout = 20000) {
    TChildProcess child(commandLine);
    if (!child.Started()) return static_cast<DWORD>(-2);
    if (!child.Wait(timeout)) return STILL_ACTIVE;
    return child.ExitCode();
}

TEST(InstanceGuard, SecondCopyEndsAtOnceWithZeroWhileFirstRuns) {
    TGuardHolder first;
    ASSERT_TRUE(first.WaitHeld());

    EXPECT_EQ(RunToEnd("\"" + Tool("InstanceGuardHolder.exe") + "\""), 0u) << "a second holder finds the mutex";
    EXPECT_EQ(RunToEnd("\"" + Tool("Tilvane.exe") + "\""), 0u) << "the game finds the mutex and ends with 0";
    EXPECT_EQ(first.Process().ExitCode(), STILL_ACTIVE) << "the first copy is not disturbed";

    // The installer shares the mutex name: a copy named Install.exe ends just the same.
    TTempFolder folder("installer-guard");
    ASSERT_TRUE(CopyFileA(Tool("Tilvane.exe").c_str(), (folder / "Install.exe").c_str(), FALSE));
    EXPECT_EQ(RunToEnd("\"" + (folder / "Install.exe") + "\""), 0u);
    EXPECT_FALSE(FileExists(folder / "Tilvane.ini")) << "the second copy wrote nothing";

    EXPECT_EQ(first.Release(), 10u);
}

TEST(InstanceGuard, NewCopyRunsAfterFirstEndedNormallyOrWasKilled) {
    {
        TGuardHolder first;
        ASSERT_TRUE(first.WaitHeld());
        EXPECT_EQ(first.Release(), 10u);
    }
    {
        TGuardHolder next;
        ASSERT_TRUE(next.WaitHeld()) << "the guard is free again after a normal end";
        next.Process().Kill();
    }
    TGuardHolder afterKill;
    ASSERT_TRUE(afterKill.WaitHeld()) << "the guard is free again after the holder was killed";
    EXPECT_EQ(afterKill.Release(), 10u);
}

TEST(InstanceGuard, GuardInThisProcessIsKeptAndClosed) {
    ASSERT_FALSE(IsProgramInstanceRunning("TilvaneGuardTest"));
    HANDLE existing = OpenMutexA(SYNCHRONIZE, FALSE, "Mutex_ProgramInstance_TilvaneGuardTest");
    ASSERT_NE(existing, nullptr) << "the mutex stays while the guard holds it";
    CloseHandle(existing);
    CloseProgramInstance();
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, "Mutex_ProgramInstance_TilvaneGuardTest"), nullptr);
    CloseProgramInstance();  // closing twice is harmless
}

std::vector<std::string> EchoLines(const std::string& folder) {
    std::istringstream in(ReadFileBytes(folder + "\\ParameterEcho.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ProgramPaths, ParametersPathAndMode) {
    TTempFolder folder("echo");
    const std::string program = folder / "ParameterEcho.exe";
    ASSERT_TRUE(CopyFileA(Tool("ParameterEcho.exe").c_str(), program.c_str(), FALSE));

    ASSERT_EQ(RunToEnd("\"" + program + "\"   \"first one\"  second"), 0u);
    std::vector<std::string> lines = EchoLines(folder.Path());
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], program);
    EXPECT_EQ(lines[1], "first one") << "quotes group blanks and are dropped";
    EXPECT_EQ(lines[2], "second");
    EXPECT_EQ(lines[3], "") << "beyond the last parameter";
    EXPECT_EQ(lines[4], "ParameterEcho.exe");
    EXPECT_EQ(lines[5], folder.Path() + "\\");
    EXPECT_EQ(lines[6], "game");

    ASSERT_EQ(RunToEnd("\"" + program + "\" /uNINSTALL"), 0u);
    EXPECT_EQ(EchoLines(folder.Path())[6], "installer") << "first parameter in any letter case";

    ASSERT_EQ(RunToEnd("\"" + program + "\" x /Uninstall"), 0u);
    EXPECT_EQ(EchoLines(folder.Path())[6], "game") << "only the first parameter counts";

    const std::string installer = folder / "INSTALL.EXE";
    ASSERT_TRUE(CopyFileA(program.c_str(), installer.c_str(), FALSE));
    ASSERT_EQ(RunToEnd("\"" + installer + "\""), 0u);
    EXPECT_EQ(EchoLines(folder.Path())[6], "installer") << "file name in any letter case";
}

TEST(Termination, ImmediateEndsWithOneAndRunsNoDestructors) {
    TTempFolder folder("terminate");
    const std::string probe = folder / "TerminateProbe.exe";
    ASSERT_TRUE(CopyFileA(Tool("TerminateProbe.exe").c_str(), probe.c_str(), FALSE));

    EXPECT_EQ(RunToEnd("\"" + probe + "\" normal"), 0u);
    EXPECT_TRUE(FileExists(folder / "TerminateProbe.destroyed")) << "a normal end runs the destructors";
    DeleteFileA((folder / "TerminateProbe.destroyed").c_str());

    EXPECT_EQ(RunToEnd("\"" + probe + "\" immediate"), 1u);
    EXPECT_FALSE(FileExists(folder / "TerminateProbe.destroyed"));
}

TEST(Termination, UnhandledExceptionReachesLastResortHandler) {
    TTempFolder folder("unhandled");
    const std::string probe = folder / "TerminateProbe.exe";
    ASSERT_TRUE(CopyFileA(Tool("TerminateProbe.exe").c_str(), probe.c_str(), FALSE));

    // Without an error dialog the handler's report appears as the plain "Error" box.
    TMessageBoxAnswerer answer("Error", IDOK, false, true);
    EXPECT_EQ(RunToEnd("\"" + probe + "\" unhandled"), 1u);
    ASSERT_EQ(answer.Count(), 1u);
    EXPECT_EQ(answer.Texts()[0], "The error-dialog form is not created. You must create it.");
    EXPECT_FALSE(FileExists(folder / "TerminateProbe.destroyed"));
}

}  // namespace
