#pragma once
// An off-screen 32-bit opaque picture (a top-down DIB section selected into a memory DC) that
// GDI+ composes into through the DC and GDI copies from: the finished picture reaches a window
// with one BitBlt and no conversion, and its rows can be copied between surfaces directly.
#include <windows.h>

#include <memory>

#include "app/win_owners.h"
#include "ui/gdiplus_api.h"

class CanvasSurface {
public:
    // Null when the memory or the GDI objects cannot be had.
    static std::unique_ptr<CanvasSurface> Create(int width, int height);
    ~CanvasSurface();
    CanvasSurface(const CanvasSurface&) = delete;
    CanvasSurface& operator=(const CanvasSurface&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    HDC dc() const { return dc_.get(); }
    // Sets every pixel to one opaque colour: what Graphics::Clear does, without per-pixel blending.
    void Fill(Gdiplus::ARGB colour);
    // Copies `source` with its top-left corner at (x, y) of this surface, clipped to this
    // surface and to its rows [top, bottom).
    void CopyFrom(const CanvasSurface& source, int x, int y, int top, int bottom);
    // Copies the whole picture to a device context at (0, 0).
    void CopyTo(HDC target) const;

private:
    CanvasSurface() = default;
    int width_ = 0;
    int height_ = 0;
    BYTE* bits_ = nullptr;  // owned by the DIB section
    ScopedBitmap dib_;
    ScopedMemoryDc dc_;
    HGDIOBJ previous_ = nullptr;  // the DC's own bitmap, put back before the DC goes
};
