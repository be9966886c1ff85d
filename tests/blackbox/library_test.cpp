// The player's library: the play time on a game's card as the session record and the session
// that just ended say, and Add to Steam on a stand-in Steam folder.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>

#include "play_support.h"

using namespace bb;

namespace {
constexpr int kCard1 = 100;
constexpr int kOptions = 208;
// The options window's rows: Save is 1, row N has id 10 + N.
constexpr int kOptionsSave = 1;
constexpr int kShowPlayTimeRow = 12;
constexpr int kAddToSteamRow = 13;
// MinGW's import library carries a wrong value for this id.
constexpr IID kAccessibleId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// What assistive technology reads as the window's description; empty when nothing answers.
std::wstring AccessibleDescription(HWND window) {
    // The object comes from another process through COM.
    struct Apartment {
        Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
        ~Apartment() { CoUninitialize(); }
    } apartment;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleId,
                                          reinterpret_cast<void**>(&object))) ||
        !object) {
        return {};
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    std::wstring description;
    if (SUCCEEDED(object->get_accDescription(self, &text)) && text) description = text;
    SysFreeString(text);
    object->Release();
    return description;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Points HKCU\Software\Valve\Steam at a folder for one test and puts the value back after.
class SteamPathScope {
public:
    explicit SteamPathScope(const fs::path& folder) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        wchar_t before[1024] = {};
        DWORD size = sizeof(before);
        had_ = RegQueryValueExW(key_, L"SteamPath", nullptr, nullptr, reinterpret_cast<BYTE*>(before), &size) ==
               ERROR_SUCCESS;
        if (had_) before_ = before;
        // As Steam writes it: forward slashes.
        std::wstring path = folder.wstring();
        std::replace(path.begin(), path.end(), L'\\', L'/');
        RegSetValueExW(key_, L"SteamPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
    ~SteamPathScope() {
        if (had_) {
            RegSetValueExW(key_, L"SteamPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(before_.c_str()),
                           static_cast<DWORD>((before_.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteValueW(key_, L"SteamPath");
        }
        RegCloseKey(key_);
    }
    SteamPathScope(const SteamPathScope&) = delete;
    SteamPathScope& operator=(const SteamPathScope&) = delete;

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    std::wstring before_;
};

std::string Z(const std::string& text) { return text + std::string(1, '\0'); }

// A shortcut list as Steam leaves it, with one entry of another program.
const std::string kOtherProgram = std::string(1, '\0') + Z("0") + "\x02" + Z("appid") + "\x11\x22\x33\x84" + "\x01" +
                                  Z("AppName") + Z("Some Editor") + "\x01" + Z("Exe") +
                                  Z("\"C:\\Tools\\editor.exe\"") + std::string(1, '\0') + Z("tags") + "\x01" +
                                  Z("0") + Z("Tools") + "\x08\x08";
const std::string kShortcutList = std::string(1, '\0') + Z("shortcuts") + kOtherProgram + "\x08\x08";

size_t Count(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

// The app ids of the shortcuts in a list, read from their "appid" numbers.
std::vector<uint32_t> AppIds(const std::string& list) {
    std::vector<uint32_t> ids;
    const std::string key = "\x02" + Z("appid");
    for (size_t at = list.find(key); at != std::string::npos; at = list.find(key, at + 1)) {
        if (at + key.size() + 4 > list.size()) break;
        uint32_t id = 0;
        for (int i = 0; i < 4; ++i) id |= static_cast<uint32_t>(static_cast<unsigned char>(list[at + key.size() + i])) << (8 * i);
        ids.push_back(id);
    }
    return ids;
}

// The options window opened by its home button's command.
HWND OpenOptions(const Process& launcher, HWND home) {
    PostMessageW(home, WM_COMMAND, MAKEWPARAM(kOptions, 0), 0);
    const auto options = launcher.FindWindowOfClass(L"TLVROptions", 10s);
    return options ? options->hwnd : nullptr;
}

// Add to Steam pressed in the options window, with its message read and closed.
std::optional<MessageBoxInfo> AddToSteam(const Process& launcher, HWND home) {
    HWND options = OpenOptions(launcher, home);
    if (!options) return std::nullopt;
    HWND row = ChildWithId(options, kAddToSteamRow);
    EXPECT_EQ(WindowText(row), L"Add to Steam");
    ClickButton(row);
    auto box = WaitForMessageBox(launcher, kLaunchTimeout);
    if (box) {
        PressMessageBoxButton(*box);
        WaitUntil([&] { return VisibleMessageBoxCount(launcher) == 0; }, 5s);
    }
    PostMessageW(options, WM_CLOSE, 0, 0);
    WaitUntil([&] { return !IsWindow(options); }, 5s);
    return box;
}
}  // namespace

TEST(LibraryPlayTime, CardShowsTheRecordAtStartAndTheSessionThatJustEnded) {
    Installation installation;
    installation.InstallStandInGame(1);
    fs::create_directories(installation.local());
    WriteFileBytes(installation.local() / L"sessions.csv", "2020-01-15T10:00:00Z,1,43500,0\r\n");
    {
        Process launcher = StartLauncher(installation);
        HWND home = WaitForHome(launcher);
        ASSERT_NE(home, nullptr);
        HWND card = ChildWithId(home, kCard1);
        EXPECT_NE(AccessibleDescription(card).find(L" Last played 15 Jan 2020 \u00B7 12 h 5 min."), std::wstring::npos)
            << Utf8(AccessibleDescription(card));
        EXPECT_EQ(AccessibleDescription(ChildWithId(home, kCard1 + 1)).find(L"played"), std::wstring::npos)
            << "a game that is not installed shows no play time";

        ClickButton(ChildWithId(home, 200));  // PLAY: the stand-in ends at once
        std::wstring seen;
        const bool updated = WaitUntil(
            [&] {
                seen = AccessibleDescription(card);
                return seen.find(L"Last played ") != std::wstring::npos && seen.find(L"2020") == std::wstring::npos;
            },
            kLaunchTimeout);
        EXPECT_TRUE(updated) << "the card still says " << Utf8(seen);
        SYSTEMTIME now = {};
        GetLocalTime(&now);
        EXPECT_NE(seen.find(std::to_wstring(now.wYear)), std::wstring::npos) << Utf8(seen);
        EXPECT_TRUE(EndsWith(seen, L" \u00B7 12 h 5 min.")) << "the session was not added to the time: " << Utf8(seen);

        // "Show play time" unticked and saved: the card drops it at once, and the file keeps it.
        HWND options = OpenOptions(launcher, home);
        ASSERT_NE(options, nullptr);
        HWND row = ChildWithId(options, kShowPlayTimeRow);
        EXPECT_EQ(WindowText(row), L"Show play time");
        ClickButton(row);
        ClickButton(ChildWithId(options, kOptionsSave));
        EXPECT_TRUE(WaitUntil([&] { return AccessibleDescription(card).find(L"played") == std::wstring::npos; }, 5s))
            << "the card still says " << Utf8(AccessibleDescription(card));
        PostMessageW(home, WM_CLOSE, 0, 0);
        EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
    }
    std::wstring kept(16, L'\0');
    kept.resize(GetPrivateProfileStringW(L"launcher", L"show_play_time", L"", kept.data(), 16,
                                         (installation.local() / L"launcher.ini").c_str()));
    EXPECT_EQ(kept, L"0");
}

TEST(AddToSteam, ThreeShortcutsAfterOnePressAndAfterTwoWithTheLibraryPictures) {
    Installation installation;
    installation.InstallStandInGame(1);
    installation.InstallStandInGame(2);
    TempFolder steam(L"tlvr-steam");
    const fs::path config = steam.path() / L"userdata" / L"123456" / L"config";
    fs::create_directories(config);
    fs::create_directories(steam.path() / L"userdata" / L"0");  // belongs to no account
    WriteFileBytes(config / L"shortcuts.vdf", kShortcutList);
    SteamPathScope scope(steam.path());

    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    std::string first;
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE("press " + std::to_string(press));
        const auto box = AddToSteam(launcher, home);
        ASSERT_TRUE(box.has_value()) << "Add to Steam said nothing";
        EXPECT_EQ(box->caption, L"Add to Steam");
        EXPECT_EQ(box->text,
                  L"TALVARO GP and ORLEN KASTRI\u2019S TALVARO GP II are in Steam's library of 1 account.\n\n"
                  L"Steam shows them the next time it starts.");
        const std::string list = ReadFileBytes(config / L"shortcuts.vdf");
        EXPECT_EQ(list.find(kOtherProgram), Z("shortcuts").size() + 1) << "the other program's entry changed";
        EXPECT_EQ(Count(list, "\x02" + Z("appid")), 3u) << "not three shortcuts";
        EXPECT_NE(list.find(Z("LaunchOptions") + Z("--play 2")), std::string::npos);
        if (press == 1) first = list;
        EXPECT_EQ(list, first) << "the second press changed the list";
    }
    EXPECT_FALSE(fs::exists(steam.path() / L"userdata" / L"0" / L"config")) << "folder 0 was taken for an account";

    const std::vector<uint32_t> ids = AppIds(first);
    ASSERT_EQ(ids.size(), 3u);
    const struct {
        const wchar_t* suffix;
        int width;
        int height;
    } pictures[] = {{L"p", 600, 900}, {L"", 920, 430}, {L"_hero", 1920, 620}, {L"_logo", 960, 320}};
    for (size_t i = 1; i < ids.size(); ++i) {
        EXPECT_NE(ids[i] & 0x80000000u, 0u) << "an app id without its top bit";
        for (const auto& picture : pictures) {
            const fs::path file = config / L"grid" / (std::to_wstring(ids[i]) + picture.suffix + L".png");
            const PngImage image(file);
            EXPECT_TRUE(image.loaded()) << Utf8(file.filename().wstring()) << " is missing";
            EXPECT_EQ(image.width(), picture.width) << Utf8(file.filename().wstring());
            EXPECT_EQ(image.height(), picture.height) << Utf8(file.filename().wstring());
        }
    }
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

TEST(AddToSteam, UnreadableShortcutListIsLeftUntouchedAndNoSteamIsSaid) {
    Installation installation;
    installation.InstallStandInGame(1);
    TempFolder steam(L"tlvr-steam");
    const fs::path config = steam.path() / L"userdata" / L"777" / L"config";
    fs::create_directories(config);
    const std::string broken = kShortcutList.substr(0, kShortcutList.size() - 5);
    WriteFileBytes(config / L"shortcuts.vdf", broken);

    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    {
        SteamPathScope scope(steam.path());
        const auto box = AddToSteam(launcher, home);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text,
                  L"The shortcut list (shortcuts.vdf) of account 777 could not be read; it was left untouched.");
        EXPECT_EQ(ReadFileBytes(config / L"shortcuts.vdf"), broken);
        EXPECT_FALSE(fs::exists(config / L"grid")) << "pictures were written for a list left as it was";
    }
    {
        SteamPathScope scope(steam.path() / L"not here");
        const auto box = AddToSteam(launcher, home);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, L"Steam is not installed on this PC.");
    }
    PostMessageW(home, WM_CLOSE, 0, 0);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}
