// Photographing windows into PNG files, read back with GDI+.
#include <gtest/gtest.h>

#include "app/launcher_state.h"
#include "temp_folder.h"
#include "ui/drawing_kit.h"
#include "ui/window_capture.h"
#include "ui_test_support.h"

using namespace Gdiplus;
namespace fs = std::filesystem;

namespace {
class WindowCapture : public ::testing::Test {
protected:
    void SetUp() override {
        kit_ = std::make_unique<DrawingKitSession>(art_.path());
        g_launcher.root = folder_.path();
        g_launcher.settings.selectedGame = 0;
        window_ = CreateHomeLikeWindow(1280, 800);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
    void TearDown() override {
        DestroyWindow(window_);
        kit_.reset();
        g_launcher.root.clear();
    }
    TempFolder folder_{L"tlvr-capture"};
    TempFolder art_{L"tlvr-capture-art"};
    std::unique_ptr<DrawingKitSession> kit_;
    HWND window_ = nullptr;
};

ARGB PixelOf(Bitmap& picture, int x, int y) {
    Color colour;
    picture.GetPixel(x, y, &colour);
    return colour.GetValue() | 0xFF000000u;
}
}  // namespace

TEST_F(WindowCapture, WholeWindowGoesIntoFoldersMadeForIt) {
    const fs::path file = folder_.path() / L"not" / L"yet" / L"there" / L"home.png";
    ASSERT_TRUE(CaptureWindowToPng(window_, file));
    ASSERT_TRUE(fs::exists(file));
    Bitmap picture(file.c_str(), FALSE);
    ASSERT_EQ(picture.GetLastStatus(), Ok);
    RECT bounds = {};
    GetWindowRect(window_, &bounds);
    EXPECT_EQ(static_cast<LONG>(picture.GetWidth()), bounds.right - bounds.left);
    EXPECT_EQ(static_cast<LONG>(picture.GetHeight()), bounds.bottom - bounds.top);
    // A borderless window: its client area is the whole picture, on Windows and on Wine alike.
    EXPECT_EQ(HexColour(PixelOf(picture, 1200, 10)), HexColour(kPanel));
    EXPECT_EQ(HexColour(PixelOf(picture, 600, 117)), HexColour(kDivider));
    EXPECT_EQ(HexColour(PixelOf(picture, 600, 400)), HexColour(kCanvasMargin));
}

TEST_F(WindowCapture, ParentThatCannotBeMadeWritesNothing) {
    const fs::path blocker = folder_.path() / L"blocker";
    WriteFileBytes(blocker, "a file where a folder would have to be");
    const fs::path file = blocker / L"sub" / L"home.png";
    EXPECT_FALSE(CaptureWindowToPng(window_, file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ReadFileBytes(blocker), "a file where a folder would have to be");
}

TEST_F(WindowCapture, ClientAreaGoesIntoAnExistingFolder) {
    const fs::path file = folder_.path() / L"client.png";
    CaptureClientToPng(window_, file);
    ASSERT_TRUE(fs::exists(file));
    Bitmap picture(file.c_str(), FALSE);
    ASSERT_EQ(picture.GetLastStatus(), Ok);
    EXPECT_EQ(picture.GetWidth(), 1280u);
    EXPECT_EQ(picture.GetHeight(), 800u);
    EXPECT_EQ(HexColour(PixelOf(picture, 600, 117)), HexColour(kDivider));

    // No folder is made for the client capture.
    const fs::path missing = folder_.path() / L"missing" / L"client.png";
    CaptureClientToPng(window_, missing);
    EXPECT_FALSE(fs::exists(missing));
}
