#pragma once
// Existence tests that never throw.
#include <filesystem>

// True when a file or folder of that name exists. An error other than "missing" (access
// denied on a parent folder, a broken network share) counts as missing: the caller then
// offers what it offers for a missing file (the installer, the next candidate folder) instead
// of ending the Launcher.
bool PathExists(const std::filesystem::path& path) noexcept;
