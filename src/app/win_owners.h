#pragma once
// Small owners for Win32 handles: each closes exactly once, moves but never copies,
// and hands out the raw handle only through get().
#include <windows.h>
#include <objbase.h>

#include <utility>

template <typename Traits>
class UniqueWin32 {
public:
    using Handle = typename Traits::Handle;
    UniqueWin32() noexcept = default;
    explicit UniqueWin32(Handle h) noexcept : handle_(h) {}
    ~UniqueWin32() { reset(); }
    UniqueWin32(const UniqueWin32&) = delete;
    UniqueWin32& operator=(const UniqueWin32&) = delete;
    UniqueWin32(UniqueWin32&& other) noexcept : handle_(other.release()) {}
    UniqueWin32& operator=(UniqueWin32&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Handle get() const noexcept { return handle_; }
    bool valid() const noexcept { return Traits::IsValid(handle_); }
    explicit operator bool() const noexcept { return valid(); }
    Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) noexcept {
        Handle old = std::exchange(handle_, h);
        if (Traits::IsValid(old)) Traits::Close(old);
    }
    // For APIs that fill in a handle: closes the current one first.
    Handle* put() noexcept { reset(); return &handle_; }

private:
    Handle handle_ = Traits::Invalid();
};

// Kernel handles: both null and INVALID_HANDLE_VALUE mean "none".
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};
using UniqueHandle = UniqueWin32<KernelHandleTraits>;

template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { DeleteObject(h); }
};
template <typename T>
using ScopedGdiObject = UniqueWin32<GdiObjectTraits<T>>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;

// A COM interface pointer: released once; a reference is added only by whoever hands it over.
template <typename T>
struct ComInterfaceTraits {
    using Handle = T*;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { h->Release(); }
};
template <typename T>
using ScopedComPtr = UniqueWin32<ComInterfaceTraits<T>>;

// Fonts added from memory (AddFontMemResourceEx).
struct MemoryFontTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { RemoveFontMemResourceEx(h); }
};
using ScopedMemoryFont = UniqueWin32<MemoryFontTraits>;

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { DeleteDC(h); }
};
using ScopedMemoryDc = UniqueWin32<MemoryDcTraits>;

// A DC from GetDC: released against the same window it came from.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) noexcept : hwnd_(hwnd), hdc_(GetDC(hwnd)) {}
    ~ScopedGetDC() { if (hdc_) ReleaseDC(hwnd_, hdc_); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const noexcept { return hdc_; }
    HWND window() const noexcept { return hwnd_; }

private:
    HWND hwnd_;
    HDC hdc_;
};

// Selects an object into a DC for one scope and puts the old one back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC hdc, HGDIOBJ obj) noexcept : hdc_(hdc), old_(SelectObject(hdc, obj)) {}
    ~ScopedSelectObject() { if (old_ && old_ != HGDI_ERROR) SelectObject(hdc_, old_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC hdc_;
    HGDIOBJ old_;
};

// Memory from LocalAlloc-style APIs (CommandLineToArgvW).
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { LocalFree(h); }
};
using ScopedLocalMemory = UniqueWin32<LocalMemoryTraits>;

// COM for one thread, single-threaded apartment (what the shell's functions expect); undone only
// when it was done here.
class ScopedComApartment {
public:
    ScopedComApartment() noexcept
        : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ScopedComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;

private:
    HRESULT result_;
};
