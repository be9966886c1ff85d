#include "update/update_result_file.h"

#include <windows.h>

#include <vector>

std::wstring ReadUpdateResult(const std::filesystem::path& resultFile, const wchar_t* key) {
    // Paths and error lines can be long; the profile functions cut at the buffer's end.
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD length = GetPrivateProfileStringW(L"update", key, L"", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()),
                                                  resultFile.c_str());
    return std::wstring(buffer.data(), length);
}
