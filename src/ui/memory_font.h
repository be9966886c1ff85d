#pragma once
// A font file's faces added for this process from a copy in memory. GDI keeps a file added with
// AddFontResourceExW open until the process ends, so a process that must let the file be
// replaced (the update-apply run) loads its font this way.
#include <windows.h>

#include <filesystem>

#include "app/win_owners.h"

// Reads the whole file, closes it, and adds its faces; empty when the file cannot be read or
// holds no font.
ScopedMemoryFont LoadFontIntoMemory(const std::filesystem::path& file);
