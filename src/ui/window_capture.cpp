#include "ui/window_capture.h"

#include <cwchar>
#include <memory>
#include <system_error>
#include <vector>

#include "app/win_owners.h"
#include "ui/gdiplus_api.h"

namespace fs = std::filesystem;
using namespace Gdiplus;

namespace {
// The GDI+ PNG encoder, {557CF406-1A04-11D3-9A73-0000F81EF32E}.
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// A memory DC with a bitmap compatible with `reference`, selected for the owner's lifetime.
struct CaptureTarget {
    ScopedMemoryDc dc;
    ScopedBitmap bitmap;
    HGDIOBJ previous = nullptr;

    CaptureTarget(HDC reference, int width, int height)
        : dc(CreateCompatibleDC(reference)), bitmap(CreateCompatibleBitmap(reference, width, height)) {
        if (dc && bitmap) previous = SelectObject(dc.get(), bitmap.get());
    }
    ~CaptureTarget() { Deselect(); }
    CaptureTarget(const CaptureTarget&) = delete;
    CaptureTarget& operator=(const CaptureTarget&) = delete;
    bool ready() const { return previous != nullptr; }
    // GDI+ reads the bitmap only while no DC holds it.
    void Deselect() {
        if (previous) SelectObject(dc.get(), previous);
        previous = nullptr;
    }
};

bool CreateParentFolders(const fs::path& file) {
    const fs::path parent = file.parent_path();
    if (parent.empty()) return true;
    std::error_code error;
    fs::create_directories(parent, error);
    return !error && fs::is_directory(parent, error);
}

// The first encoder GDI+ lists for "image/png"; false when there is none.
bool FindPngEncoder(CLSID* encoder) {
    UINT count = 0, size = 0;
    if (DllExports::GdipGetImageEncodersSize(&count, &size) != Ok || size == 0) return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (DllExports::GdipGetImageEncoders(count, size, codecs) != Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}
}  // namespace

bool CaptureWindowToPng(HWND window, const fs::path& file) {
    RECT bounds = {};
    if (!GetWindowRect(window, &bounds)) return false;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return false;

    ScopedGetDC screen(nullptr);
    CaptureTarget target(screen.get(), width, height);
    if (!target.ready()) return false;
    const BOOL printed = PrintWindow(window, target.dc.get(), PW_RENDERFULLCONTENT);
    target.Deselect();
    if (!printed) return false;

    Bitmap picture(target.bitmap.get(), nullptr);
    if (picture.GetLastStatus() != Ok) return false;
    try {
        // A folder that cannot be made means no picture at all, never a stray file elsewhere.
        if (!CreateParentFolders(file)) return false;
    } catch (const std::exception&) {
        return false;
    }
    return picture.Save(file.c_str(), &kPngEncoder, nullptr) == Ok;
}

void CaptureClientToPng(HWND window, const fs::path& file) {
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;

    ScopedGetDC windowDc(window);
    CaptureTarget target(windowDc.get(), width, height);
    if (!target.ready()) return;
    PrintWindow(window, target.dc.get(), PW_CLIENTONLY);
    target.Deselect();

    Bitmap picture(target.bitmap.get(), nullptr);
    CLSID encoder = {};
    if (picture.GetLastStatus() == Ok && FindPngEncoder(&encoder)) {
        picture.Save(file.c_str(), &encoder, nullptr);
    }
}

bool SaveImageAsPng(Image& image, const fs::path& file) {
    CLSID encoder = {};
    return FindPngEncoder(&encoder) && image.Save(file.c_str(), &encoder, nullptr) == Ok;
}
