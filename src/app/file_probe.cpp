#include "app/file_probe.h"

bool PathExists(const std::filesystem::path& path) noexcept {
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    return exists && !error;
}
