#pragma once
// Photographing a Launcher window into a PNG file.
#include <windows.h>
#include <filesystem>

#include "ui/gdiplus_api.h"

// The whole window, frame included; creates the file's missing parent folders.
// True when the PNG was written.
bool CaptureWindowToPng(HWND window, const std::filesystem::path& file);
// The client area only, into an existing folder (the controls editor's check).
void CaptureClientToPng(HWND window, const std::filesystem::path& file);
// A picture drawn by us into a PNG file; true when it was written.
bool SaveImageAsPng(Gdiplus::Image& image, const std::filesystem::path& file);
