// GDI+ runs for the whole of the Wine suite: the picture tests decode and draw with it.
#include "support/GdiplusPictures.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class TGdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override { session_ = std::make_unique<TGdiplusSession>(); }
    void TearDown() override { session_.reset(); }

private:
    std::unique_ptr<TGdiplusSession> session_;
};

const ::testing::Environment* const gdiplus = ::testing::AddGlobalTestEnvironment(new TGdiplusEnvironment);

}  // namespace
