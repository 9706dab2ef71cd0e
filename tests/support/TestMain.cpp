// Entry point of the Windows test programs: the report services are those of the program.
#include "Include/Error.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    InstallReportServices();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
