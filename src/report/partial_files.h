#pragma once
// Reports and crash dumps are written under a temporary name beside their final one and renamed
// once whole, so a kill part-way never leaves a broken file under a name a player would send.
#include <windows.h>

#include <filesystem>

// Appended to the final name while the file is being written.
inline constexpr wchar_t kPartialSuffix[] = L".partial";

// Flushes `partial` to the disk and gives it the name `final` (which must not exist yet).
bool CompletePartialFile(const wchar_t* partial, const wchar_t* final);

// Deletes what a kill left in `folder` under a temporary name. A file still being written is
// open without delete sharing, so one that another process writes right now stays.
void RemovePartialFiles(const std::filesystem::path& folder);
