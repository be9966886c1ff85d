#include "play/steam_shortcuts.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr char kTable = 0x00;
constexpr char kString = 0x01;
constexpr char kNumber = 0x02;
constexpr char kFloat = 0x03;
constexpr char kPointer = 0x04;
constexpr char kWide = 0x05;
constexpr char kColour = 0x06;
constexpr char kNumber64 = 0x07;
constexpr char kEnd = 0x08;
constexpr int kDeepest = 32;  // tables nested deeper than this are not Steam's

bool SameKey(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return i == a.size() && !b[i];
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    size_t at() const { return at_; }
    bool done() const { return at_ >= bytes_.size(); }
    bool Byte(char* value) {
        if (done()) return false;
        *value = bytes_[at_++];
        return true;
    }
    bool Text(std::string* value) {
        const size_t end = bytes_.find('\0', at_);
        if (end == std::string::npos) return false;
        value->assign(bytes_, at_, end - at_);
        at_ = end + 1;
        return true;
    }
    bool Skip(size_t count) {
        if (bytes_.size() - at_ < count) return false;
        at_ += count;
        return true;
    }
    bool SkipWideText() {
        for (;;) {
            if (bytes_.size() - at_ < 2) return false;
            const bool end = bytes_[at_] == 0 && bytes_[at_ + 1] == 0;
            at_ += 2;
            if (end) return true;
        }
    }

    // The rest of a table after its key. At the first level of an entry (`entry` given) the
    // strings that say whose shortcut it is are kept.
    bool Table(int depth, ShortcutEntry* entry) {
        if (depth > kDeepest) return false;
        for (;;) {
            char type = 0;
            if (!Byte(&type)) return false;
            if (type == kEnd) return true;
            std::string key, text;
            if (!Text(&key)) return false;
            switch (type) {
            case kTable:
                if (!Table(depth + 1, nullptr)) return false;
                break;
            case kString:
                if (!Text(&text)) return false;
                if (entry && SameKey(key, "AppName")) entry->appName = text;
                if (entry && SameKey(key, "Exe")) entry->exe = text;
                if (entry && SameKey(key, "LaunchOptions")) entry->launchOptions = text;
                break;
            case kNumber:
            case kFloat:
            case kPointer:
            case kColour:
                if (!Skip(4)) return false;
                break;
            case kNumber64:
                if (!Skip(8)) return false;
                break;
            case kWide:
                if (!SkipWideText()) return false;
                break;
            default:
                return false;
            }
        }
    }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

void PutText(std::string* out, char type, const char* key, const std::string& value) {
    out->push_back(type);
    *out += key;
    out->push_back('\0');
    *out += value;
    out->push_back('\0');
}

void PutNumber(std::string* out, const char* key, uint32_t value) {
    out->push_back(kNumber);
    *out += key;
    out->push_back('\0');
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool IsOurs(const ShortcutEntry& entry, const SteamShortcut& ours) {
    if (!entry.exe.empty() && Lower(entry.exe) == Lower(ours.exe) && entry.launchOptions == ours.launchOptions)
        return true;
    // The same app id: Steam's own key for a shortcut (Exe and AppName both the same).
    SteamShortcut seen{entry.appName, entry.exe, {}, {}, {}};
    return !entry.exe.empty() && ShortcutAppId(seen) == ShortcutAppId(ours);
}
}  // namespace

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t ShortcutAppId(const SteamShortcut& shortcut) {
    return Crc32(shortcut.exe + shortcut.appName) | 0x80000000u;
}

std::optional<ShortcutFile> ParseShortcutFile(const std::string& bytes) {
    ShortcutFile file;
    if (bytes.empty()) {
        file.head = std::string("\0shortcuts\0", 11);
        return file;
    }
    Reader reader(bytes);
    char type = 0;
    std::string name;
    if (!reader.Byte(&type) || type != kTable || !reader.Text(&name) || !SameKey(name, "shortcuts")) return {};
    file.head = bytes.substr(0, reader.at());
    for (;;) {
        const size_t start = reader.at();
        if (!reader.Byte(&type)) return {};
        if (type == kEnd) break;
        ShortcutEntry entry;
        if (type != kTable || !reader.Text(&entry.key)) return {};
        if (!reader.Table(1, &entry)) return {};
        entry.bytes = bytes.substr(start, reader.at() - start);
        file.entries.push_back(std::move(entry));
    }
    // The outer table's end; nothing may follow it.
    if (!reader.Byte(&type) || type != kEnd || !reader.done()) return {};
    return file;
}

std::string ShortcutEntryBytes(const std::string& key, const SteamShortcut& shortcut) {
    std::string out;
    out.push_back(kTable);
    out += key;
    out.push_back('\0');
    PutNumber(&out, "appid", ShortcutAppId(shortcut));
    PutText(&out, kString, "AppName", shortcut.appName);
    PutText(&out, kString, "Exe", shortcut.exe);
    PutText(&out, kString, "StartDir", shortcut.startDir);
    PutText(&out, kString, "icon", shortcut.icon);
    PutText(&out, kString, "ShortcutPath", "");
    PutText(&out, kString, "LaunchOptions", shortcut.launchOptions);
    PutNumber(&out, "IsHidden", 0);
    PutNumber(&out, "AllowDesktopConfig", 1);
    PutNumber(&out, "AllowOverlay", 1);
    PutNumber(&out, "OpenVR", 0);
    PutNumber(&out, "Devkit", 0);
    PutText(&out, kString, "DevkitGameID", "");
    PutNumber(&out, "DevkitOverrideAppID", 0);
    PutNumber(&out, "LastPlayTime", 0);
    PutText(&out, kString, "FlatpakAppID", "");
    out.push_back(kTable);
    out += "tags";
    out.push_back('\0');
    out.push_back(kEnd);
    out.push_back(kEnd);
    return out;
}

ShortcutMerge MergeShortcuts(const ShortcutFile& file, const std::vector<SteamShortcut>& ours) {
    ShortcutMerge merge;
    std::vector<bool> placed(ours.size(), false);
    unsigned long nextKey = 0;
    merge.bytes = file.head;
    for (const ShortcutEntry& entry : file.entries) {
        if (!entry.key.empty() && entry.key.size() < 10 &&
            std::all_of(entry.key.begin(), entry.key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            nextKey = std::max(nextKey, std::stoul(entry.key) + 1);
        }
        size_t match = ours.size();
        for (size_t i = 0; i < ours.size() && match == ours.size(); ++i) {
            if (!placed[i] && IsOurs(entry, ours[i])) match = i;
        }
        if (match == ours.size()) {
            merge.bytes += entry.bytes;
            continue;
        }
        placed[match] = true;
        merge.bytes += ShortcutEntryBytes(entry.key, ours[match]);
        ++merge.updated;
    }
    for (size_t i = 0; i < ours.size(); ++i) {
        if (placed[i]) continue;
        merge.bytes += ShortcutEntryBytes(std::to_string(nextKey++), ours[i]);
        ++merge.added;
    }
    merge.bytes.push_back(kEnd);
    merge.bytes.push_back(kEnd);
    return merge;
}
