#include "app/game_table.h"

#include "app/file_probe.h"
#include "app/installation_root.h"
#include "app/launcher_state.h"

namespace fs = std::filesystem;

const Game kGames[kGameCount] = {
    {L"tlvr1", L"TALVARO GP", L"1990",
     L"Havel\u2019s 1990 Formula 1 classic. Practice, race or take on the\n"
     L"Championship, now with continuous zoom and arcade art."},
    {L"tlvr2", L"ORLEN KASTRI\u2019S TALVARO GP II", L"1992",
     L"The 1992 sequel with the Kastri licence, sixteen circuits, team\n"
     L"colours in the formation, analog steering and a victory theme."},
};

namespace {
std::wstring ExecutableName(int index) { return std::wstring(kGames[index].stem) + L".exe"; }
}  // namespace

GamePlaces CurrentGamePlaces() {
    return GamePlaces{g_launcher.root, LauncherFolder()};
}

fs::path GameFolder(const GamePlaces& places, int index) {
    const std::wstring stem = kGames[index].stem;
    const std::wstring exe = ExecutableName(index);
    const fs::path candidates[] = {
        places.launcherFolder / stem,
        places.root / L"games" / stem,
        places.root / L"build" / L"native20" / L"bin" / stem,
    };
    for (const fs::path& folder : candidates) {
        if (PathExists(folder / exe)) return folder;
    }
    return places.root / L"build" / L"native06" / L"bin" / stem;
}

fs::path GameExecutable(const GamePlaces& places, int index) {
    return GameFolder(places, index) / ExecutableName(index);
}

fs::path RomInput(const GamePlaces& places, int index) {
    const std::wstring stem = kGames[index].stem;
    const fs::path placed = places.root / L"roms" / (stem + L".bin");
    if (PathExists(placed)) return placed;
    return places.root / L".local" / L"build-inputs" / stem / L"game.bin";
}

bool IsGameInstalled(const GamePlaces& places, int index) {
    return PathExists(GameExecutable(places, index)) && PathExists(RomInput(places, index));
}
