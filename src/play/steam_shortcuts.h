#pragma once
// Steam's list of non-Steam shortcuts, "userdata\<account>\config\shortcuts.vdf", in Steam's binary
// key-value form: a type byte (0 a nested table, 1 a string, 2 a 32-bit number, 8 the end of a
// table), a NUL-ended key, then the value. The file is one table "shortcuts" whose entries are
// tables keyed "0", "1", ...; strings are UTF-8. Entries we did not write are kept byte for byte.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One shortcut as we write it (UTF-8 texts).
struct SteamShortcut {
    std::string appName;
    std::string exe;       // quoted
    std::string startDir;  // quoted
    std::string icon;
    std::string launchOptions;
};

// One entry of the file as found: its bytes from its type byte to its end byte, and the few
// fields that tell whether it is one of ours.
struct ShortcutEntry {
    std::string key;  // "0", "1", ...
    std::string bytes;
    std::string appName;
    std::string exe;
    std::string launchOptions;
};

struct ShortcutFile {
    std::string head;  // the bytes before the first entry
    std::vector<ShortcutEntry> entries;
};

// The standard CRC-32 (polynomial 0xEDB88320, as zip uses).
uint32_t Crc32(const std::string& bytes);
// Steam's id of a shortcut: CRC-32 of Exe followed by AppName, with the top bit set. The library
// pictures are named with it.
uint32_t ShortcutAppId(const SteamShortcut& shortcut);

// The file read; nothing when it is not a shortcut file Steam would read. An empty or missing
// file reads as one with no entries.
std::optional<ShortcutFile> ParseShortcutFile(const std::string& bytes);

// One entry's bytes under `key`.
std::string ShortcutEntryBytes(const std::string& key, const SteamShortcut& shortcut);

struct ShortcutMerge {
    std::string bytes;  // the whole new file
    int added = 0;
    int updated = 0;
};
// Every entry of `file` kept as it was, except that each of `ours` replaces the entry that is
// already it (same app id, or the same Exe with the same launch options) under that entry's key;
// the others are added under new keys after the last one.
ShortcutMerge MergeShortcuts(const ShortcutFile& file, const std::vector<SteamShortcut>& ours);
