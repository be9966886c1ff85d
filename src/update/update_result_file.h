#pragma once
// The update helper's result file: an INI file whose section "update" holds the outcome keys.
#include <filesystem>
#include <string>

// The value of one key of section "update"; empty when the file or the key is missing.
std::wstring ReadUpdateResult(const std::filesystem::path& resultFile, const wchar_t* key);
