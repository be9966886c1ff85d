#include "ui/canvas_surface.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<CanvasSurface> CanvasSurface::Create(int width, int height) {
    if (width < 1 || height < 1) return nullptr;
    std::unique_ptr<CanvasSurface> surface(new CanvasSurface());
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down, like a GDI+ scan0 buffer
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    surface->dib_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!surface->dib_ || !bits) return nullptr;
    surface->dc_.reset(CreateCompatibleDC(nullptr));
    if (!surface->dc_) return nullptr;
    surface->previous_ = SelectObject(surface->dc_.get(), surface->dib_.get());
    surface->width_ = width;
    surface->height_ = height;
    surface->bits_ = static_cast<BYTE*>(bits);
    return surface;
}

CanvasSurface::~CanvasSurface() {
    if (dc_ && previous_) SelectObject(dc_.get(), previous_);
}

void CanvasSurface::CopyFrom(const CanvasSurface& source, int x, int y, int top, int bottom) {
    const int left = std::max(0, x);
    const int right = std::min(width_, x + source.width_);
    top = std::max({0, top, y});
    bottom = std::min({height_, bottom, y + source.height_});
    if (left >= right || top >= bottom) return;
    GdiFlush();  // finish any GDI work on either DIB before touching its memory
    const size_t bytes = static_cast<size_t>(right - left) * 4;
    for (int row = top; row < bottom; ++row) {
        std::memcpy(bits_ + (static_cast<size_t>(row) * width_ + left) * 4,
                    source.bits_ + (static_cast<size_t>(row - y) * source.width_ + (left - x)) * 4, bytes);
    }
}

void CanvasSurface::Fill(Gdiplus::ARGB colour) {
    GdiFlush();
    // Opaque, so premultiplied and straight alpha agree; the DIB holds BGRA, i.e. ARGB words.
    auto* pixel = reinterpret_cast<UINT32*>(bits_);
    std::fill(pixel, pixel + static_cast<size_t>(width_) * height_, static_cast<UINT32>(colour));
}

void CanvasSurface::CopyTo(HDC target) const {
    BitBlt(target, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
}
