#include "minidump_reader.h"

#include <cstring>

namespace {
uint32_t U32At(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::optional<MinidumpStream> StreamOf(const std::string& dump, uint32_t type) {
    const auto streams = MinidumpStreams(dump);
    if (!streams) return std::nullopt;
    for (const MinidumpStream& stream : *streams) {
        if (stream.type == type) return stream;
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::vector<MinidumpStream>> MinidumpStreams(const std::string& dump) {
    if (dump.size() < 32 || dump.compare(0, 4, "MDMP") != 0) return std::nullopt;
    const uint32_t count = U32At(dump, 8);
    const uint32_t directory = U32At(dump, 12);
    if (static_cast<uint64_t>(directory) + static_cast<uint64_t>(count) * 12 > dump.size()) return std::nullopt;
    std::vector<MinidumpStream> streams;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = directory + static_cast<size_t>(i) * 12;
        const MinidumpStream stream{U32At(dump, entry), U32At(dump, entry + 4), U32At(dump, entry + 8)};
        if (stream.type == 0) continue;  // an unused entry
        if (static_cast<uint64_t>(stream.rva) + stream.size > dump.size()) return std::nullopt;
        streams.push_back(stream);
    }
    return streams;
}

std::optional<MinidumpException> MinidumpExceptionOf(const std::string& dump) {
    const auto stream = StreamOf(dump, kMinidumpExceptionStream);
    // MINIDUMP_EXCEPTION_STREAM: thread id, alignment, then MINIDUMP_EXCEPTION's code.
    if (!stream || stream->size < 12) return std::nullopt;
    return MinidumpException{U32At(dump, stream->rva), U32At(dump, stream->rva + 8)};
}

std::vector<std::wstring> MinidumpModuleNames(const std::string& dump) {
    std::vector<std::wstring> names;
    const auto stream = StreamOf(dump, kMinidumpModuleListStream);
    if (!stream || stream->size < 4) return names;
    constexpr size_t kModuleSize = 108;  // MINIDUMP_MODULE
    const uint32_t count = U32At(dump, stream->rva);
    for (uint32_t i = 0; i < count && 4 + (i + 1) * kModuleSize <= stream->size; ++i) {
        const uint32_t nameRva = U32At(dump, stream->rva + 4 + i * kModuleSize + 20);
        const uint32_t bytes = U32At(dump, nameRva);  // MINIDUMP_STRING: length in bytes, then UTF-16
        if (static_cast<uint64_t>(nameRva) + 4 + bytes > dump.size()) continue;
        std::wstring name(bytes / 2, L'\0');
        std::memcpy(name.data(), dump.data() + nameRva + 4, name.size() * 2);
        names.push_back(name);
    }
    return names;
}
