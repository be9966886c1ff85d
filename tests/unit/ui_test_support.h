#pragma once
// Shared helpers of the interface tests: a drawing kit session, pixels of a real DC, and
// plain windows of a given size.
#include <windows.h>

#include <filesystem>
#include <string>

#include "ui/gdiplus_api.h"

// The package's artwork and fonts as laid out by the build (the demo installation), or the
// folder named by TLVR_TEST_ART_DIR. Empty when neither exists.
std::filesystem::path PackageArtFolder();

// Starts the drawing kit on an art folder for one scope (COM included, as start-up does).
class DrawingKitSession {
public:
    DrawingKitSession(const std::filesystem::path& artFolder, float dpiScale = 1.0f);
    ~DrawingKitSession();
    DrawingKitSession(const DrawingKitSession&) = delete;
    DrawingKitSession& operator=(const DrawingKitSession&) = delete;
};

// A 32-bit top-down DIB selected into a memory DC: what GDI or GDI+ paints there can be read back.
class PixelCanvas {
public:
    PixelCanvas(int width, int height);
    ~PixelCanvas();
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at (x, y) as 0xFFRRGGBB: GDI leaves the alpha byte undefined, so it is not compared.
    Gdiplus::ARGB Rgb(int x, int y) const;
    void Fill(Gdiplus::ARGB colour);
    // Number of pixels whose colour differs from `background`.
    int CountOtherThan(Gdiplus::ARGB background) const;
    bool SameAs(const PixelCanvas& other) const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

// A hidden borderless popup (its client area is the whole window) of exactly that size; its
// procedure answers WM_PAINT and WM_PRINTCLIENT with the home background painter.
HWND CreateHomeLikeWindow(int width, int height);

// "RRGGBB" for failure messages.
std::string HexColour(Gdiplus::ARGB colour);
// True when running under Wine, where a few platform behaviours differ (see the tests).
bool RunningUnderWine();
