#include "zip_reader.h"

#include <windows.h>

#include <minizip/zip.h>

#include <minizip/iowin32.h>
#include <minizip/unzip.h>

ZipContents ReadZipFile(const std::filesystem::path& file) {
    ZipContents contents;
    zlib_filefunc64_def functions = {};
    fill_win32_filefunc64W(&functions);
    unzFile zip = unzOpen2_64(file.c_str(), &functions);
    if (!zip) return contents;
    contents.opened = true;
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        char name[1024] = {};
        unz_file_info64 info = {};
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            contents.intact = false;
            continue;
        }
        std::string content(static_cast<size_t>(info.uncompressed_size), '\0');
        const int read =
            content.empty() ? 0 : unzReadCurrentFile(zip, content.data(), static_cast<unsigned>(content.size()));
        if (read != static_cast<int>(content.size()) || unzCloseCurrentFile(zip) != UNZ_OK) contents.intact = false;
        contents.entries[name] = std::move(content);
    }
    unzClose(zip);
    return contents;
}
