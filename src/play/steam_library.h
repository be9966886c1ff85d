#pragma once
// "Add to Steam": both installed games as non-Steam shortcuts of every Steam account on the PC,
// with library pictures drawn from our own artwork.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

// Steam's folder from HKCU\Software\Valve\Steam (SteamPath); empty when Steam is not installed.
std::filesystem::path SteamFolder();
// The accounts that have signed in on this PC: the numbered folders of "userdata".
std::vector<std::wstring> SteamAccounts(const std::filesystem::path& steamFolder);
// Steam's process or its window can be seen.
bool IsSteamRunning();
// Steam started us through Proton: we are then a Steam shortcut ourselves.
bool IsUnderProton();

struct AddToSteamRequest {
    std::filesystem::path steamFolder;  // empty: no Steam
    std::filesystem::path launcher;     // this program
    std::filesystem::path root;         // the installation root
    std::vector<int> games;             // installed game indices
    bool underProton = false;
    bool steamRunning = false;
};

struct AddToSteamReport {
    enum class Outcome { NoSteam, UnderProton, NoAccounts, NoGames, Done } outcome = Outcome::NoSteam;
    std::vector<std::wstring> games;        // titles written
    int accountsWritten = 0;
    std::vector<std::wstring> unreadable;   // accounts whose shortcuts.vdf was left untouched
    std::vector<std::wstring> notSaved;     // accounts whose save failed
    int picturesMissing = 0;
    bool steamRunning = false;
};

// The work itself, without a window: shortcuts and pictures for each account.
AddToSteamReport AddGamesToSteam(const AddToSteamRequest& request);
// What the player is told afterwards.
std::wstring AddToSteamMessage(const AddToSteamReport& report);

// The home window's command that runs it.
inline constexpr int kAddToSteamCommandId = 209;

// The command: asks the PC, does the work and shows the message over `owner`.
void RunAddToSteam(HWND owner);

// The four library pictures of a shortcut, as Steam names them in "config\grid".
struct SteamPicture {
    const wchar_t* suffix;  // after the app id: "p", "", "_hero", "_logo"
    int width;
    int height;
};
inline constexpr SteamPicture kSteamPictures[] = {
    {L"p", 600, 900}, {L"", 920, 430}, {L"_hero", 1920, 620}, {L"_logo", 960, 320}};
