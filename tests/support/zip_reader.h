#pragma once
// Reading a zip back in the tests, through minizip's reader (which checks each entry's CRC).
#include <filesystem>
#include <map>
#include <string>

struct ZipContents {
    bool opened = false;
    bool intact = true;  // every entry read whole with a matching CRC
    std::map<std::string, std::string> entries;  // name (UTF-8) -> bytes
};

ZipContents ReadZipFile(const std::filesystem::path& file);
