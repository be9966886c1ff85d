#include "app/game_table.h"

#include "app/file_probe.h"
#include "app/installation_root.h"
#include "app/launcher_state.h"

namespace fs = std::filesystem;

const Game kGames[kGameCount] = {
    {L"tlvr1", L"TALVARO GP", L"1990",
     "game.tlvr1.blurb", L"Talvaro GP"},
    {L"tlvr2", L"ORLEN KASTRI\u2019S TALVARO GP II", L"1992",
     "game.tlvr2.blurb", L"Orlen Kastri\u2019s Talvaro GP II"},
};

namespace {
std::wstring ExecutableName(int index) { return std::wstring(kGames[index].stem) + L".exe"; }
}  // namespace

GamePlaces CurrentGamePlaces() {
    return GamePlaces{g_launcher.root, LauncherFolder()};
}

namespace {
// The game's folder, with whether its executable was seen there: the first three candidates
// are only chosen for an executable they hold; the last resort is chosen unseen.
fs::path FindGameFolder(const GamePlaces& places, int index, bool* executableSeen) {
    const std::wstring stem = kGames[index].stem;
    const std::wstring exe = ExecutableName(index);
    const fs::path candidates[] = {
        places.launcherFolder / stem,
        places.root / L"games" / stem,
        places.root / L"build" / L"native20" / L"bin" / stem,
    };
    for (const fs::path& folder : candidates) {
        if (PathExists(folder / exe)) {
            *executableSeen = true;
            return folder;
        }
    }
    *executableSeen = false;
    return places.root / L"build" / L"native06" / L"bin" / stem;
}

// The ROM input, with whether it was seen: the placed ROM is only chosen when it exists.
fs::path FindRomInput(const GamePlaces& places, int index, bool* seen) {
    const std::wstring stem = kGames[index].stem;
    const fs::path placed = places.root / L"roms" / (stem + L".bin");
    *seen = PathExists(placed);
    if (*seen) return placed;
    return places.root / L".local" / L"build-inputs" / stem / L"game.bin";
}
}  // namespace

fs::path GameFolder(const GamePlaces& places, int index) {
    bool seen = false;
    return FindGameFolder(places, index, &seen);
}

fs::path GameExecutable(const GamePlaces& places, int index) {
    return GameFolder(places, index) / ExecutableName(index);
}

fs::path RomInput(const GamePlaces& places, int index) {
    bool seen = false;
    return FindRomInput(places, index, &seen);
}

// Asked at every paint, so nothing is tested twice.
bool IsGameInstalled(const GamePlaces& places, int index) {
    bool seen = false;
    const fs::path folder = FindGameFolder(places, index, &seen);
    if (!seen && !PathExists(folder / ExecutableName(index))) return false;
    const fs::path rom = FindRomInput(places, index, &seen);
    return seen || PathExists(rom);
}
