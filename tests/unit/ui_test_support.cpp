#include "ui_test_support.h"

#include <objbase.h>

#include <cstdio>
#include <cstdlib>

#include "ui/drawing_kit.h"
#include "ui/home_paint.h"

namespace fs = std::filesystem;

fs::path PackageArtFolder() {
    if (const wchar_t* named = _wgetenv(L"TLVR_TEST_ART_DIR")) {
        if (*named) return named;
    }
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const fs::path laidOut = fs::path(module).parent_path().parent_path() / L"demo" / L"assets" / L"launcher";
    std::error_code error;
    return fs::exists(laidOut / L"BarlowCondensed-Bold.ttf", error) ? laidOut : fs::path();
}

DrawingKitSession::DrawingKitSession(const fs::path& artFolder, float dpiScale) {
    CoInitialize(nullptr);
    StartDrawingKit(artFolder, dpiScale);
}

DrawingKitSession::~DrawingKitSession() { ShutDownDrawingKit(); }

PixelCanvas::PixelCanvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<DWORD*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    previous_ = SelectObject(dc_, bitmap_);
}

PixelCanvas::~PixelCanvas() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
}

Gdiplus::ARGB PixelCanvas::Rgb(int x, int y) const {
    GdiFlush();
    return 0xFF000000u | (bits_[static_cast<size_t>(y) * width_ + x] & 0x00FFFFFFu);
}

void PixelCanvas::Fill(Gdiplus::ARGB colour) {
    GdiFlush();
    for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i) bits_[i] = colour;
}

int PixelCanvas::CountOtherThan(Gdiplus::ARGB background) const {
    GdiFlush();
    int count = 0;
    for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i) {
        if ((bits_[i] & 0x00FFFFFFu) != (background & 0x00FFFFFFu)) ++count;
    }
    return count;
}

bool PixelCanvas::SameAs(const PixelCanvas& other) const {
    if (other.width_ != width_ || other.height_ != height_) return false;
    GdiFlush();
    for (size_t i = 0; i < static_cast<size_t>(width_) * height_; ++i) {
        if ((bits_[i] & 0x00FFFFFFu) != (other.bits_[i] & 0x00FFFFFFu)) return false;
    }
    return true;
}

namespace {
LRESULT CALLBACK HomeLikeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        PaintHomeBackground(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintHomeBackground(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
}  // namespace

HWND CreateHomeLikeWindow(int width, int height) {
    static const ATOM atom = [] {
        WNDCLASSEXW cls = {};
        cls.cbSize = sizeof(cls);
        cls.lpfnWndProc = HomeLikeProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        cls.lpszClassName = L"TlvrTestHomeLike";
        return RegisterClassExW(&cls);
    }();
    (void)atom;
    return CreateWindowExW(WS_EX_NOACTIVATE, L"TlvrTestHomeLike", L"home-like", WS_POPUP, 0, 0, width,
                           height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::string HexColour(Gdiplus::ARGB colour) {
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(colour & 0x00FFFFFFu));
    return text;
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
