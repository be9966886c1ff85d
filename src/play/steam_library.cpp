#include "play/steam_library.h"

#include <tlhelp32.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>

#include "app/game_table.h"
#include "app/launcher_state.h"
#include "app/verified_file_replace.h"
#include "app/win_owners.h"
#include "play/steam_shortcuts.h"
#include "texts/texts.h"
#include "ui/drawing_kit.h"
#include "ui/task_dialog.h"
#include "ui/window_capture.h"

namespace fs = std::filesystem;
using namespace Gdiplus;

namespace {
constexpr wchar_t kSteamKey[] = L"Software\\Valve\\Steam";

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Quoted(const fs::path& path) { return "\"" + Utf8(path.wstring()) + "\""; }

bool ReadWholeFile(const fs::path& file, std::string* bytes) {
    std::error_code error;
    if (!fs::exists(file, error)) {
        bytes->clear();
        return !error;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream content;
    content << in.rdbuf();
    *bytes = content.str();
    return !in.bad();
}

SteamShortcut ShortcutFor(const AddToSteamRequest& request, int game) {
    SteamShortcut shortcut;
    shortcut.appName = Utf8(kGames[game].title);
    shortcut.exe = Quoted(request.launcher);
    shortcut.startDir = Quoted(request.root);
    shortcut.icon = Utf8(request.launcher.wstring());
    shortcut.launchOptions = "--play " + std::to_string(game + 1);
    return shortcut;
}

// The title's outline as large as `emSize`, smaller when it would not fit the rectangle's width.
void DrawFittedTitle(Graphics& graphics, const wchar_t* title, const RectF& rect, float emSize, ARGB colour) {
    DisplayTextShape shape = MakeDisplayTextShape(title, emSize, false);
    if (!shape.path) return;
    if (shape.ink.Width > rect.Width && shape.ink.Width > 0.0f) {
        shape = MakeDisplayTextShape(title, emSize * rect.Width / shape.ink.Width, false);
        if (!shape.path) return;
    }
    FillDisplayText(graphics, shape, rect, colour, true);
}

// The image scaled to fit the rectangle, centred in it.
void DrawFitted(Graphics& graphics, Image* image, const RectF& rect) {
    if (!IsImageUsable(image)) return;
    const float w = static_cast<float>(image->GetWidth()), h = static_cast<float>(image->GetHeight());
    const float k = std::min(rect.Width / w, rect.Height / h);
    graphics.DrawImage(image, RectF(rect.X + (rect.Width - w * k) / 2, rect.Y + (rect.Height - h * k) / 2, w * k, h * k),
                       0, 0, w, h, UnitPixel);
}

// The image scaled to cover the whole picture, cut evenly at the sides that overflow.
void DrawCovering(Graphics& graphics, Image* image, float width, float height) {
    if (!IsImageUsable(image)) return;
    const float w = static_cast<float>(image->GetWidth()), h = static_cast<float>(image->GetHeight());
    const float k = std::max(width / w, height / h);
    graphics.DrawImage(image, RectF((width - w * k) / 2, (height - h * k) / 2, w * k, h * k), 0, 0, w, h, UnitPixel);
}

void DrawPicture(Graphics& graphics, const SteamPicture& picture, int game) {
    const float w = static_cast<float>(picture.width), h = static_cast<float>(picture.height);
    const wchar_t* title = kGames[game].title;
    const std::wstring suffix = picture.suffix;
    if (suffix == L"_logo") {
        graphics.Clear(Color(0, 0, 0, 0));  // Steam lays the logo over the hero picture
        DrawFittedTitle(graphics, title, RectF(20, 20, w - 40, h - 40), 150.0f, kTextColour);
        return;
    }
    graphics.Clear(Color(kPanel));
    if (suffix == L"_hero") {
        DrawCovering(graphics, MastheadImage(), w, h);
        return;
    }
    SolidBrush accent{Color(kAccentColour)};
    if (suffix == L"p") {
        DrawFitted(graphics, CardImage(game), RectF(40, 40, w - 80, h - 300));
        graphics.FillRectangle(&accent, 40.0f, h - 230, w - 80, 6.0f);
        DrawFittedTitle(graphics, title, RectF(40, h - 200, w - 80, 150), 90.0f, kTextColour);
        return;
    }
    DrawFitted(graphics, CardImage(game), RectF(20, 20, w * 0.42f, h - 40));
    graphics.FillRectangle(&accent, w * 0.47f, h / 2 + 60, w * 0.5f, 5.0f);
    DrawFittedTitle(graphics, title, RectF(w * 0.47f, h / 2 - 70, w * 0.5f, 120), 80.0f, kTextColour);
}

// The four pictures of one shortcut; returns how many could not be written.
int WritePictures(const fs::path& grid, uint32_t appId, int game) {
    std::error_code error;
    fs::create_directories(grid, error);
    int missing = 0;
    for (const SteamPicture& picture : kSteamPictures) {
        Bitmap bitmap(picture.width, picture.height, PixelFormat32bppARGB);
        bool written = false;
        if (bitmap.GetLastStatus() == Ok) {
            {
                Graphics graphics(&bitmap);
                graphics.SetSmoothingMode(SmoothingModeAntiAlias);
                graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
                DrawPicture(graphics, picture, game);
            }
            written = SaveImageAsPng(bitmap, grid / (std::to_wstring(appId) + picture.suffix + L".png"));
        }
        if (!written) ++missing;
    }
    return missing;
}

std::wstring Join(const std::vector<std::wstring>& items, const wchar_t* separator) {
    std::wstring out;
    for (size_t i = 0; i < items.size(); ++i) out += (i ? separator : L"") + items[i];
    return out;
}

}  // namespace

fs::path SteamFolder() {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, kSteamKey, L"SteamPath", RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::wstring text = buffer;
    std::replace(text.begin(), text.end(), L'/', L'\\');  // Steam writes forward slashes
    std::error_code error;
    if (text.empty() || !fs::is_directory(text, error)) return {};
    return fs::path(text);
}

std::vector<std::wstring> SteamAccounts(const fs::path& steamFolder) {
    std::vector<std::wstring> accounts;
    std::error_code error;
    for (fs::directory_iterator it(steamFolder / L"userdata", error), end; !error && it != end; it.increment(error)) {
        const std::wstring name = it->path().filename().wstring();
        const bool number = !name.empty() && std::all_of(name.begin(), name.end(), [](wchar_t c) {
            return c >= L'0' && c <= L'9';
        });
        // "0" is where Steam keeps what belongs to no account.
        std::error_code kind;
        if (number && name != L"0" && it->is_directory(kind)) accounts.push_back(name);
    }
    std::sort(accounts.begin(), accounts.end());
    return accounts;
}

bool IsSteamRunning() {
    if (FindWindowW(nullptr, L"Steam")) return true;
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, L"steam.exe") == 0) return true;
    }
    return false;
}

bool IsUnderProton() {
    // Steam hands these to every game it starts through Proton; Wine passes them on to us.
    for (const wchar_t* name : {L"STEAM_COMPAT_DATA_PATH", L"SteamGameId"}) {
        if (GetEnvironmentVariableW(name, nullptr, 0) > 1) return true;
    }
    return false;
}

AddToSteamReport AddGamesToSteam(const AddToSteamRequest& request) {
    AddToSteamReport report;
    report.steamRunning = request.steamRunning;
    using Outcome = AddToSteamReport::Outcome;
    if (request.underProton) {
        report.outcome = Outcome::UnderProton;
        return report;
    }
    if (request.steamFolder.empty()) {
        report.outcome = Outcome::NoSteam;
        return report;
    }
    if (request.games.empty()) {
        report.outcome = Outcome::NoGames;
        return report;
    }
    const std::vector<std::wstring> accounts = SteamAccounts(request.steamFolder);
    if (accounts.empty()) {
        report.outcome = Outcome::NoAccounts;
        return report;
    }
    report.outcome = Outcome::Done;
    std::vector<SteamShortcut> ours;
    for (int game : request.games) {
        ours.push_back(ShortcutFor(request, game));
        report.games.push_back(kGames[game].title);
    }
    for (const std::wstring& account : accounts) {
        const fs::path config = request.steamFolder / L"userdata" / account / L"config";
        const fs::path file = config / L"shortcuts.vdf";
        std::string bytes;
        std::optional<ShortcutFile> parsed;
        if (ReadWholeFile(file, &bytes)) parsed = ParseShortcutFile(bytes);
        if (!parsed) {
            report.unreadable.push_back(account);
            continue;
        }
        std::error_code error;
        fs::create_directories(config, error);
        if (!ReplaceFileVerified(file, MergeShortcuts(*parsed, ours).bytes)) {
            report.notSaved.push_back(account);
            continue;
        }
        ++report.accountsWritten;
        for (size_t i = 0; i < ours.size(); ++i) {
            report.picturesMissing += WritePictures(config / L"grid", ShortcutAppId(ours[i]), request.games[i]);
        }
    }
    return report;
}

std::wstring AddToSteamMessage(const AddToSteamReport& report) {
    using Outcome = AddToSteamReport::Outcome;
    switch (report.outcome) {
    case Outcome::UnderProton:
        return Text("steam.under_proton");
    case Outcome::NoSteam:
        return Text("steam.no_steam");
    case Outcome::NoGames:
        return Text("steam.no_games");
    case Outcome::NoAccounts:
        return Text("steam.no_accounts");
    case Outcome::Done:
        break;
    }
    std::wstring text;
    if (report.accountsWritten > 0) {
        const long long accounts = report.accountsWritten;
        if (report.games.size() == 1) {
            text = PluralText("steam.added_one_game", accounts, {{"game", report.games[0]}});
        } else if (!report.games.empty()) {
            // Never more than the two games; a longer list would still name the first two.
            text = PluralText("steam.added_two_games", accounts,
                              {{"first", report.games[0]}, {"second", report.games[1]}});
        }
        if (report.picturesMissing > 0) text += L" " + PluralText("steam.pictures_missing", report.picturesMissing);
        text += L"\n\n" + Text(report.steamRunning ? "steam.running" : "steam.next_start");
    }
    if (!report.unreadable.empty()) {
        if (!text.empty()) text += L"\n\n";
        text += FormatText("steam.unreadable", {{"accounts", Join(report.unreadable, L", ")}});
    }
    if (!report.notSaved.empty()) {
        if (!text.empty()) text += L"\n\n";
        text += FormatText("steam.not_saved", {{"accounts", Join(report.notSaved, L", ")}});
    }
    return text;
}

void RunAddToSteam(HWND owner) {
    UINT icon = MB_ICONINFORMATION;
    std::wstring text;
    try {
        AddToSteamRequest request;
        request.underProton = IsUnderProton();
        request.steamFolder = SteamFolder();
        request.steamRunning = IsSteamRunning();
        wchar_t self[32768] = {};
        const DWORD length = GetModuleFileNameW(nullptr, self, 32768);
        request.launcher = fs::path(std::wstring(self, length));
        request.root = g_launcher.root;
        for (int game = 0; game < kGameCount; ++game) {
            if (IsGameInstalled(game)) request.games.push_back(game);
        }
        const AddToSteamReport report = AddGamesToSteam(request);
        if (report.outcome != AddToSteamReport::Outcome::Done || !report.unreadable.empty() ||
            !report.notSaved.empty()) {
            icon = MB_ICONWARNING;
        }
        text = AddToSteamMessage(report);
    } catch (const std::exception&) {
        icon = MB_ICONWARNING;
        text = Text("steam.out_of_memory");
    }
    ShowMessageBox(owner, text, Text("steam.title"), MB_OK | icon);
}
