#include "install/rom_search.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <deque>
#include <fstream>
#include <set>
#include <memory>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {
std::wstring LowerExtension(const std::wstring& name) {
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return {};
    std::wstring extension = name.substr(dot);
    for (wchar_t& c : extension) c = static_cast<wchar_t>(std::towlower(c));
    return extension;
}

std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

fs::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    fs::path result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) result = path;
    CoTaskMemFree(path);
    return result;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }
}  // namespace

bool IsRomLikeFile(const std::wstring& name, std::uint64_t size) {
    const std::wstring extension = LowerExtension(name);
    const bool romName = extension == L".bin" || extension == L".md" || extension == L".gen" || extension == L".smd";
    return romName && size >= kRomMinBytes && size <= kRomMaxBytes;
}

bool IsZipHoldingRom(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 22) return false;
    // The end record sits in the last 22 bytes plus a comment of at most 65,535.
    const std::streamoff tail = length < 22 + 65535 ? length : 22 + 65535;
    std::vector<unsigned char> end(static_cast<size_t>(tail));
    in.seekg(length - tail);
    in.read(reinterpret_cast<char*>(end.data()), tail);
    if (!in) return false;
    for (std::streamoff at = tail - 22; at >= 0; --at) {
        const unsigned char* record = end.data() + at;
        if (Le32(record) != 0x06054B50) continue;
        const std::uint32_t size = Le32(record + 12), offset = Le32(record + 16);
        if (size == 0 || size > 16u * 1024 * 1024 || static_cast<std::streamoff>(offset) + size > length) return false;
        std::vector<unsigned char> directory(size);
        in.seekg(offset);
        in.read(reinterpret_cast<char*>(directory.data()), size);
        if (!in) return false;
        for (size_t pos = 0; pos + 46 <= directory.size();) {
            const unsigned char* entry = directory.data() + pos;
            if (Le32(entry) != 0x02014B50) return false;
            const std::uint32_t uncompressed = Le32(entry + 24);
            const size_t nameLength = Le16(entry + 28), extra = Le16(entry + 30), comment = Le16(entry + 32);
            if (pos + 46 + nameLength > directory.size()) return false;
            const std::string name(reinterpret_cast<const char*>(entry + 46), nameLength);
            if (IsRomLikeFile(std::wstring(name.begin(), name.end()), uncompressed)) return true;
            pos += 46 + nameLength + extra + comment;
        }
        return false;
    }
    return false;
}

RomSearchResult FindRomFolders(const std::vector<fs::path>& places, const RomSearchLimits& limits,
                               const std::atomic<bool>& stop) {
    RomSearchResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.milliseconds);
    std::set<std::wstring> seen;  // each folder once, even when places overlap
    auto over = [&] {
        if (stop.load() || result.entriesSeen >= limits.entries || std::chrono::steady_clock::now() >= deadline) {
            result.cutShort = true;
            return true;
        }
        return false;
    };
    std::deque<std::pair<fs::path, int>> queue;
    for (const fs::path& place : places) {
        if (!place.empty()) queue.emplace_back(place, 0);
    }
    while (!queue.empty() && !over()) {
        const auto [folder, depth] = queue.front();
        queue.pop_front();
        std::wstring key = folder.lexically_normal().wstring();
        while (key.size() > 3 && (key.back() == L'\\' || key.back() == L'/')) key.pop_back();
        for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
        if (!seen.insert(key).second) continue;
        std::error_code error;
        int roms = 0;
        fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::directory_iterator() && !over(); it.increment(error)) {
            ++result.entriesSeen;
            const fs::directory_entry& entry = *it;
            std::error_code ignored;
            if (entry.is_directory(ignored)) {
                if (depth < limits.depth && !entry.is_symlink(ignored)) queue.emplace_back(entry.path(), depth + 1);
                continue;
            }
            const std::wstring name = entry.path().filename().wstring();
            const std::uint64_t size = entry.file_size(ignored);
            if (ignored) continue;
            if (IsRomLikeFile(name, size) || (LowerExtension(name) == L".zip" && IsZipHoldingRom(entry.path()))) ++roms;
        }
        if (roms > 0) result.folders.push_back(RomFolder{folder, roms});
    }
    return result;
}

std::vector<fs::path> ProfilePlaces() {
    std::vector<fs::path> places;
    for (REFKNOWNFOLDERID id : {FOLDERID_Desktop, FOLDERID_Documents, FOLDERID_Downloads}) {
        fs::path folder = KnownFolder(id);
        if (!folder.empty()) places.push_back(std::move(folder));
    }
    return places;
}

std::vector<fs::path> SteamDeckPlaces() {
    std::vector<fs::path> places;
    if (!UnderWine()) return places;
    std::error_code error;
    if (fs::is_directory(L"Z:\\home\\deck", error)) places.emplace_back(L"Z:\\home\\deck");
    for (fs::directory_iterator it(L"Z:\\run\\media", error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        places.push_back(it->path());
    }
    return places;
}

std::vector<fs::path> RomSearchPlaces(const fs::path& installationRoot) {
    std::vector<fs::path> places = ProfilePlaces();
    if (!installationRoot.empty()) places.push_back(installationRoot.parent_path());
    const DWORD drives = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter))) continue;
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":\\";
        if (GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE) places.emplace_back(root);
    }
    for (fs::path& place : SteamDeckPlaces()) places.push_back(std::move(place));
    return places;
}

namespace {
RomSearchPlacesQuery g_placesQuery = nullptr;

struct SearchJob {
    std::atomic<bool> stop{false};
};
std::shared_ptr<SearchJob> g_job;  // GUI thread only
std::uintptr_t g_jobNumber = 0;
}  // namespace

void SetRomSearchPlacesQuery(RomSearchPlacesQuery query) { g_placesQuery = query; }
namespace {
std::vector<fs::path> NamedPlaces(const fs::path&) {
    std::vector<fs::path> places;
    wchar_t text[4096] = {};
    const DWORD length = GetEnvironmentVariableW(L"TLVR_QA_ROM_PLACES", text, 4096);
    std::wstring rest(text, length < 4096 ? length : 0);
    for (size_t start = 0; start <= rest.size();) {
        const size_t end = std::min(rest.find(L';', start), rest.size());
        if (end > start) places.emplace_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return places;
}
}  // namespace

RomSearchPlacesQuery CurrentRomSearchPlacesQuery() {
    if (g_placesQuery) return g_placesQuery;
    return GetEnvironmentVariableW(L"TLVR_QA_ROM_PLACES", nullptr, 0) != 0 ? NamedPlaces : RomSearchPlaces;
}

void StartRomSearch(void* window, const fs::path& installationRoot) {
    StopRomSearch();
    auto job = std::make_shared<SearchJob>();
    const std::uintptr_t number = ++g_jobNumber;
    const RomSearchPlacesQuery query = CurrentRomSearchPlacesQuery();
    HWND target = static_cast<HWND>(window);
    try {
        std::thread([job, number, query, target, installationRoot]() noexcept {
            try {
                auto* result = new RomSearchResult(FindRomFolders(query(installationRoot), RomSearchLimits{}, job->stop));
                if (job->stop.load() ||
                    !PostMessageW(target, kRomSearchDoneMessage, number, reinterpret_cast<LPARAM>(result))) {
                    delete result;
                }
            } catch (const std::exception&) {
                // Allocation only: no suggestion this time.
            }
        }).detach();
        g_job = job;
    } catch (const std::system_error&) {
        // No thread to be had: no suggestions, the installer works as before.
    }
}

void StopRomSearch() {
    if (g_job) g_job->stop = true;
    g_job.reset();
}

RomSearchResult* TakeRomSearchResult(std::uintptr_t wParam, std::intptr_t lParam) {
    auto* result = reinterpret_cast<RomSearchResult*>(lParam);
    if (!g_job || wParam != g_jobNumber) {
        delete result;
        return nullptr;
    }
    g_job.reset();
    return result;
}
