// Entry point of the Windows test programs: the report services are those of the program.
#include "Include/Error.h"
#include "Include/PictureDecoderServer.h"
#include "Include/ReportServices.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Started as its own picture decoder process, the program serves that and nothing else.
    if (IsPictureDecoderRun()) return RunPictureDecoder();
    InstallReportServices();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
