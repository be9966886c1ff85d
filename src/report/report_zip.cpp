#include "report/report_zip.h"

// zip.h first: iowin32.h relies on the declarations it brings in.
#include <minizip/zip.h>

#include <minizip/iowin32.h>

#include "app/output_lines.h"

namespace {
// Bit 11 of the general purpose flags: the entry's name is UTF-8.
constexpr uLong kUtf8NameFlag = 1u << 11;
constexpr int kCompressionLevel = 6;
constexpr size_t kLargestWrite = 1u << 30;

uLong DosDateTime(const FILETIME& utc) {
    FILETIME local = {};
    WORD date = 0, time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) return 0;
    return (static_cast<uLong>(date) << 16) | time;
}
}  // namespace

ReportZip::~ReportZip() { Close(); }

bool ReportZip::Create(const std::filesystem::path& file) {
    if (zip_) return false;
    // Minizip would overwrite an existing file; a report never replaces anything.
    const HANDLE probe = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return false;
    CloseHandle(probe);
    zlib_filefunc64_def functions = {};
    fill_win32_filefunc64W(&functions);  // wide paths: any folder name works
    zip_ = zipOpen2_64(file.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip_) DeleteFileW(file.c_str());
    return zip_ != nullptr;
}

bool ReportZip::BeginEntry(const std::wstring& name, const FILETIME& modified) {
    if (!zip_ || entryOpen_) return false;
    zip_fileinfo info = {};
    info.dosDate = DosDateTime(modified);
    const std::string utf8 = WideToUtf8(name);
    const int result = zipOpenNewFileInZip4_64(zip_, utf8.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                               kCompressionLevel, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                               nullptr, 0, 0, kUtf8NameFlag, 0);
    entryOpen_ = result == ZIP_OK;
    return entryOpen_;
}

bool ReportZip::Write(const void* data, size_t size) {
    if (!entryOpen_) return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const size_t piece = size > kLargestWrite ? kLargestWrite : size;
        if (zipWriteInFileInZip(zip_, bytes, static_cast<unsigned>(piece)) != ZIP_OK) return false;
        bytes += piece;
        size -= piece;
    }
    return true;
}

bool ReportZip::EndEntry() {
    if (!entryOpen_) return false;
    entryOpen_ = false;
    return zipCloseFileInZip(zip_) == ZIP_OK;
}

bool ReportZip::Close() {
    if (!zip_) return false;
    if (entryOpen_) EndEntry();
    const bool closed = zipClose(zip_, nullptr) == ZIP_OK;
    zip_ = nullptr;
    return closed;
}
