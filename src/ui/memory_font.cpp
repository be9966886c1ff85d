#include "ui/memory_font.h"

#include <string>

namespace {
// Far above any font of the package; a larger file is not a font we would load.
constexpr LONGLONG kLargestFont = 64LL * 1024 * 1024;
}  // namespace

ScopedMemoryFont LoadFontIntoMemory(const std::filesystem::path& file) {
    std::string bytes;
    {
        // Shared for every use, and closed before the font is added.
        const UniqueHandle handle(CreateFileW(file.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size = {};
        if (!handle || !GetFileSizeEx(handle.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kLargestFont) {
            return ScopedMemoryFont();
        }
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
            read != bytes.size()) {
            return ScopedMemoryFont();
        }
    }
    DWORD faces = 0;
    return ScopedMemoryFont(
        AddFontMemResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &faces));
}
