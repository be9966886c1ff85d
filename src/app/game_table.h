#pragma once
// The fixed table of the two games and where each game's files are found.
#include <filesystem>
#include <string>

struct Game {
    const wchar_t* stem;   // "tlvr1", "tlvr2"
    const wchar_t* title;  // card title and card button text
    const wchar_t* year;
    const char* blurbKey;  // its text may hold a line break
    const wchar_t* spokenTitle;  // the title in mixed case, as a screen reader should say it
};

inline constexpr int kGameCount = 2;
extern const Game kGames[kGameCount];

// Where to look: the installation root and the folder of the running executable.
struct GamePlaces {
    std::filesystem::path root;
    std::filesystem::path launcherFolder;
};

// The places of this Launcher process (root from the Launcher state).
GamePlaces CurrentGamePlaces();

// Every call asks the file system afresh: a game installed while the Launcher runs
// reads as installed at once.
std::filesystem::path GameFolder(const GamePlaces& places, int index);
std::filesystem::path GameExecutable(const GamePlaces& places, int index);
std::filesystem::path RomInput(const GamePlaces& places, int index);
bool IsGameInstalled(const GamePlaces& places, int index);

inline bool IsGameInstalled(int index) { return IsGameInstalled(CurrentGamePlaces(), index); }
