#pragma once
// Every Launcher window in this process, on a temporary installation with the package's fonts:
// the drawing kit, the window classes start-up registers, and a shown home window to own the rest.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/launcher_state.h"
#include "temp_folder.h"
#include "ui_test_support.h"

std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
// Every descendant window of `top`, in EnumChildWindows order.
std::vector<HWND> ChildWindows(HWND top);

class LauncherWindows : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The home window, created and shown (without activation) on first use.
    HWND Home();
    static void Command(HWND window, int id);
    // Destroys the window if it exists and runs the messages that follow.
    static void Close(HWND window);
    // Runs this thread's waiting messages (a WM_QUIT from the home window is dropped).
    static void Pump();

    std::filesystem::path art_;
    std::unique_ptr<DrawingKitSession> kit_;
    TempFolder root_{L"tlvr-windows"};
    LauncherState saved_;
    HWND home_ = nullptr;
};
