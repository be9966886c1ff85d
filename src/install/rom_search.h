#pragma once
// Suggested ROM folders: folders that hold ROM-like files, found by a bounded walk of the places
// a player keeps downloads. Only a suggestion: the installation script decides by SHA-256.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

inline constexpr std::uint64_t kRomMinBytes = 256 * 1024;
inline constexpr std::uint64_t kRomMaxBytes = 8 * 1024 * 1024;

// A file named .bin, .md, .gen or .smd (any case) of 256 KB to 8 MB.
bool IsRomLikeFile(const std::wstring& name, std::uint64_t size);
// A .zip file whose central directory lists one ROM-like entry. Reads the directory only.
bool IsZipHoldingRom(const std::filesystem::path& file);

struct RomSearchLimits {
    int depth = 3;           // levels below each place
    int entries = 20000;     // directory entries looked at, in all
    unsigned milliseconds = 2000;
};

struct RomFolder {
    std::filesystem::path folder;
    int romFiles = 0;  // ROM-like files directly inside
};

struct RomSearchResult {
    std::vector<RomFolder> folders;  // in the order the places were given, each once
    int entriesSeen = 0;
    bool cutShort = false;  // a limit or `stop` ended the walk
};

// Walks `places` breadth-first; stops at once when `stop` becomes true.
RomSearchResult FindRomFolders(const std::vector<std::filesystem::path>& places, const RomSearchLimits& limits,
                               const std::atomic<bool>& stop);

// Where the installer looks: Desktop, Documents, Downloads, the installation root's parent, the
// roots of removable drives, and under Wine the Steam Deck's home and memory cards on Z:.
std::vector<std::filesystem::path> RomSearchPlaces(const std::filesystem::path& installationRoot);
// The profile's Desktop, Documents and Downloads (a folder the system does not name is left out).
std::vector<std::filesystem::path> ProfilePlaces();
// Under Proton or Wine: the Steam Deck's home and its memory cards where Z: shows them.
std::vector<std::filesystem::path> SteamDeckPlaces();
// Tests replace the places with their own; null puts the real ones back. A black-box run names
// its own in TLVR_QA_ROM_PLACES (folders separated by ';').
using RomSearchPlacesQuery = std::vector<std::filesystem::path> (*)(const std::filesystem::path& installationRoot);
void SetRomSearchPlacesQuery(RomSearchPlacesQuery query);
RomSearchPlacesQuery CurrentRomSearchPlacesQuery();

// The installer's search on a worker thread: started when the window opens, stopped when it
// closes. The result reaches `window` as kRomSearchDoneMessage with a RomSearchResult* in lParam
// (the receiver deletes it) and the search's number in wParam; a result of an earlier search is
// deleted unread.
inline constexpr unsigned kRomSearchDoneMessage = 0x8000 + 0x3F;  // WM_APP + 0x3F
void StartRomSearch(void* window, const std::filesystem::path& installationRoot);
void StopRomSearch();
// Takes the message's result: null when it belongs to an earlier search (then already deleted).
RomSearchResult* TakeRomSearchResult(std::uintptr_t wParam, std::intptr_t lParam);

