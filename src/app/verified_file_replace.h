#pragma once
// Saves that prove themselves before they replace anything: the new content is written to a
// temporary file beside the target, read back and compared, flushed to the disk, and only then
// moved over the target. Any failure removes the temporary files and leaves the target byte for
// byte as it was. Some file systems take a write on a full disk without an error and keep
// nothing of it, so the proof is the read-back, never the write calls' answers. Temporary files
// left by a save that was cut short are removed first, never reused, and a read-only mark on the
// target does not stop a save and stays on the new file.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

struct ProfileValue {
    std::wstring section;
    std::wstring key;
    std::wstring value;
};

struct ProfileReplaceOptions {
    // Start the temporary file as a copy of the current file, so that sections and keys this
    // build does not write survive the save.
    bool keepOtherKeys = true;
};

// Writes `values` into file + ".tmp" through the profile functions, proves every one of them,
// flushes and moves the result over `file`. True only when `file` now holds every value; on false
// the last error says why (ERROR_DISK_FULL when what was written did not read back).
bool ReplaceProfileFileVerified(const std::filesystem::path& file, const std::vector<ProfileValue>& values,
                                const ProfileReplaceOptions& options = {});

// The same for a file written whole: `file` ends up holding exactly `bytes`, or is untouched.
bool ReplaceFileVerified(const std::filesystem::path& file, const std::string& bytes);

// A replace that failed with one of these is worth retrying a moment later: a virus scanner or
// an indexer holds freshly written files for a short while.
bool IsTransientReplaceError(DWORD error);
