#pragma once
// Reads the few parts of a minidump file the tests look at, straight from its bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct MinidumpStream {
    uint32_t type = 0;
    uint32_t size = 0;
    uint32_t rva = 0;
};

inline constexpr uint32_t kMinidumpModuleListStream = 4;
inline constexpr uint32_t kMinidumpExceptionStream = 6;

// The stream directory; nothing when the header is not a minidump's or an entry or a stream
// lies outside the file.
std::optional<std::vector<MinidumpStream>> MinidumpStreams(const std::string& dump);

struct MinidumpException {
    uint32_t threadId = 0;
    uint32_t code = 0;
};
// The exception stream's thread and code; nothing when there is none or it is cut short.
std::optional<MinidumpException> MinidumpExceptionOf(const std::string& dump);

// The names the module list gives (as written: full paths or bare names).
std::vector<std::wstring> MinidumpModuleNames(const std::string& dump);
