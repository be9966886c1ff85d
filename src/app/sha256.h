#pragma once
// SHA-256 through CryptoAPI, fed in pieces so that a large file is never whole in memory.
#include <windows.h>
#include <wincrypt.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    // False when CryptoAPI gave no context or hash object.
    bool ready() const { return hash_ != 0; }
    bool Add(const void* data, size_t size);
    // 64 lower-case hex digits; nothing when hashing failed.
    std::optional<std::wstring> HexDigest();

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
    bool failed_ = false;
};

// The digest of a whole file, read in pieces; nothing when it cannot be read.
std::optional<std::wstring> Sha256OfFile(const std::filesystem::path& file);
