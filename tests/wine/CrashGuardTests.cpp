// The parts of a crash report that can be checked without a crash: the exception's name, where
// an address lies, and the operations in progress; and the end of a process whose report goes
// wrong (tests/tools/CrashGuardProbe). The game's own crashes are in e2e/CrashTests.cpp.
#include "Include/Core/FunOperation.h"
#include "Include/CrashGuard.h"
#include "support/TestFiles.h"
#include "support/WineTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

void ANamedFunction() {}

TEST(CrashReport, NamesTheAddressAndWhatRan) {
    EXPECT_EQ(ExceptionCodeName(0xE0000001u), "unknown exception");

    EXPECT_EQ(CodeAddressText(reinterpret_cast<const void*>(0x10)), "0x0000000000000010 (no module)");
    const auto* code = reinterpret_cast<const char*>(&ANamedFunction);
    const auto* base = reinterpret_cast<const char*>(GetModuleHandleA(nullptr));
    char expected[64];
    snprintf(expected, sizeof expected, "0x%016llX (WineTests.exe + 0x%llX)",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(code)),
             static_cast<unsigned long long>(code - base));
    EXPECT_EQ(CodeAddressText(code), expected);
    EXPECT_NE(CodeAddressText(reinterpret_cast<const void*>(&GetTickCount)).find("kernel"), std::string::npos)
        << CodeAddressText(reinterpret_cast<const void*>(&GetTickCount));

    EXPECT_EQ(OperationsInProgressText(), "none");
    TFunOperation outer("Tilvane\\Outer", "TOuter::Run", 1);
    {
        TFunOperation inner("Include\\Inner", "Inner", 2);
        EXPECT_EQ(OperationsInProgressText(), "Inner < TOuter::Run");
    }
    EXPECT_EQ(OperationsInProgressText(), "TOuter::Run");
    outer.EndPassing();
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// The recovery writer faults, overflows its stack, or never returns while another thread faults:
// the first fault is reported once, and the process ends with 1; at once after a fault of the
// report itself, after the guard's limit of about 15 s when the report hangs.
TEST(CrashGuard, AReportThatFaultsOrHangsStillEndsTheProcessWithOne) {
    TTempFolder folder("crash-guard");
    const std::string probe = folder / "CrashGuardProbe.exe", log = folder / "Errors.log";
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "CrashGuardProbe.exe").c_str(), probe.c_str(), FALSE));
    for (const std::string writer : {"faulting", "overflowing", "stuck"}) {
        DeleteFileA(log.c_str());
        const ULONGLONG started = GetTickCount64();
        TChildProcess child("\"" + probe + "\" " + writer);
        ASSERT_TRUE(child.Wait(60000)) << writer << ": the process still runs after a minute";
        const ULONGLONG took = GetTickCount64() - started;
        EXPECT_EQ(child.ExitCode(), 1u) << writer;
        const std::string report = FileExists(log) ? ReadFileBytes(log) : std::string();
        EXPECT_EQ(CountOf(report, "A fatal fault ended the program."), 1u) << writer << ":\n" << report;
        EXPECT_NE(report.find("EXCEPTION_ACCESS_VIOLATION at address "), std::string::npos) << report;
        EXPECT_NE(report.find("(the window thread)."), std::string::npos) << "not the first fault:\n" << report;
        if (writer != "stuck") {
            EXPECT_LT(took, 15000u) << writer << ": waited for the limit";
        }
        std::printf("[          ] %s writer: ended after %llu ms\n", writer.c_str(),
                    static_cast<unsigned long long>(took));
    }
}

// Another thread faults while the window thread waits without taking messages, as it waits for a
// picture decoder's worker threads: the game is written all the same, at once, without asking the
// window thread.
TEST(CrashGuard, AFaultWhileTheWindowThreadWaitsStillKeepsTheGame) {
    TTempFolder folder("crash-guard-waiting");
    const std::string probe = folder / "CrashGuardProbe.exe", recovered = folder / "Recovered game.tvg";
    ASSERT_TRUE(CopyFileA((TestProgramDirectory() + "CrashGuardProbe.exe").c_str(), probe.c_str(), FALSE));
    TChildProcess child("\"" + probe + "\" waiting");
    ASSERT_TRUE(child.Wait(60000)) << "the process still runs after a minute";
    EXPECT_EQ(child.ExitCode(), 1u);
    const std::string report = FileExists(folder / "Errors.log") ? ReadFileBytes(folder / "Errors.log") : std::string();
    EXPECT_NE(report.find("(not the window thread)."), std::string::npos) << report;
    EXPECT_EQ(FileExists(recovered) ? ReadFileBytes(recovered) : std::string(), "the game") << "the game was lost";
}

}  // namespace
