#include "app/file_probe.h"

#include <windows.h>

// One attribute query: the cheapest existence test there is, and the home window asks it at
// every paint. Any failure, "missing" or not, reads as missing.
bool PathExists(const std::filesystem::path& path) noexcept {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
