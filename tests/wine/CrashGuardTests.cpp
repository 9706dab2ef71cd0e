// The parts of a crash report that can be checked without a crash: the exception's name, where
// an address lies, and the operations in progress. The crash itself is in e2e/CrashTests.cpp.
#include "Include/Core/FunOperation.h"
#include "Include/CrashGuard.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>

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

}  // namespace
