#pragma once
// A fresh folder under the temporary directory, removed with everything in it at scope end.
#include <filesystem>
#include <string>

class TempFolder {
public:
    // Under `base` when given, else under the temporary directory.
    explicit TempFolder(const std::wstring& tag = L"tlvr", const std::filesystem::path& base = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Writes bytes to a file, creating its parent folders.
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ReadFileBytes(const std::filesystem::path& file);
