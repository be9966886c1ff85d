#pragma once
// A zip file written entry by entry through zlib's minizip, for the problem report. Each entry is
// streamed: begin it, write its bytes in pieces, end it.
#include <windows.h>

#include <filesystem>
#include <string>

class ReportZip {
public:
    ReportZip() = default;
    ~ReportZip();  // closes a zip still open; its entries stay, nothing is deleted
    ReportZip(const ReportZip&) = delete;
    ReportZip& operator=(const ReportZip&) = delete;

    // Creates the file, replacing nothing: false when it exists or cannot be created.
    bool Create(const std::filesystem::path& file);
    // `name` is UTF-16 and travels as UTF-8 (the entry is marked so); `modified` is a UTC time.
    bool BeginEntry(const std::wstring& name, const FILETIME& modified);
    bool Write(const void* data, size_t size);
    bool EndEntry();
    // Writes the central directory. False when it could not be written: the zip is unusable.
    bool Close();

private:
    void* zip_ = nullptr;  // minizip's zipFile
    bool entryOpen_ = false;
};
