// The dialogs scale their 96-DPI design with the display's DPI: their layout tests compare
// with rectangles scaled by the system DPI. CTest runs them a second time in a Wine prefix
// whose display is set to 144 DPI (dpi144.*, through scripts/wine-dpi-run.sh); this test
// makes sure that run really sees the DPI it asked for, so that it cannot pass at 96.

#include <windows.h>

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(HighDpi, TheDisplayRunsAtTheDpiTheRunAskedFor) {
    const char* expected = std::getenv("TARVEX_EXPECTED_DPI");
    if (!expected)
        GTEST_SKIP() << "runs at the prefix's own DPI";
    const HDC screen = ::GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(dpi, std::atoi(expected));
}

} // namespace
