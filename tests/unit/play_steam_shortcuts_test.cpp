// Steam's shortcuts.vdf: reading it, adding and updating our two shortcuts, the other programs'
// entries kept byte for byte, and the app id Steam names the library pictures with.
#include <gtest/gtest.h>

#include <string>

#include "play/steam_library.h"
#include "play/steam_shortcuts.h"
#include "temp_folder.h"

namespace {
// Hand-made pieces of the binary form, for files as other programs and Steam leave them.
std::string Z(const std::string& text) { return text + std::string(1, '\0'); }
std::string Table(const std::string& key) { return std::string(1, '\x00') + Z(key); }
std::string Text(const std::string& key, const std::string& value) { return "\x01" + Z(key) + Z(value); }
std::string Number(const std::string& key, uint32_t value) {
    std::string out = "\x02" + Z(key);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}
const std::string kEnd = "\x08";
std::string File(const std::string& entries) { return Table("shortcuts") + entries + kEnd + kEnd; }

// Another program's entry, with the kinds of values Steam writes: lower-case keys, a 64-bit
// number, tags.
const std::string kOtherEntry = Table("0") + Number("appid", 0x9A3B2C1Du) + Text("appname", "Some Editor") +
                                Text("exe", "\"C:\\Tools\\editor.exe\"") + Text("LaunchOptions", "-x") +
                                "\x07" + Z("LastPlayTime64") + std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8) +
                                Table("tags") + Text("0", "Tools") + kEnd + kEnd;

SteamShortcut Ours(int game) {
    return {game == 1 ? "TALVARO GP" : "ORLEN KASTRI\xE2\x80\x99S TALVARO GP II",
            "\"C:\\Games\\Talvaro\\TalvaroOvraRecomp.exe\"", "\"C:\\Games\\Talvaro\"",
            "C:\\Games\\Talvaro\\TalvaroOvraRecomp.exe", "--play " + std::to_string(game)};
}
}  // namespace

TEST(SteamShortcuts, AppIdIsCrc32OfExeThenNameWithTheTopBitSet) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u) << "the standard check value";
    EXPECT_EQ(Crc32(""), 0u);
    const struct {
        SteamShortcut shortcut;
        uint32_t appId;
    } cases[] = {
        {Ours(1), 0xDF23163Du},
        {Ours(2), 0xCB6D3FF2u},
        // CRC 0x3E0F1C9F: only the set top bit makes it Steam's id.
        {{"TALVARO GP", "\"D:\\Jeux\\\xC3\x89t\xC3\xA9\\TalvaroOvraRecomp.exe\"", "", "", ""}, 0xBE0F1C9Fu},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortcutAppId(c.shortcut), c.appId) << c.shortcut.exe << c.shortcut.appName;
}

TEST(SteamShortcuts, FilesThatDoNotReadAreRefused) {
    const std::string good = File(kOtherEntry);
    ASSERT_TRUE(ParseShortcutFile(good).has_value());
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"text key-values", "\"shortcuts\"\n{\n}\n"},
        {"another table", File("").replace(1, 9, "shortcutz")},
        {"cut in an entry", good.substr(0, good.size() - 7)},
        {"cut in a key", good.substr(0, 14)},
        {"the outer end missing", good.substr(0, good.size() - 1)},
        {"bytes after the end", good + "x"},
        {"an unknown type", File(Table("0") + "\x0B" + Z("odd") + kEnd)},
        {"a string where an entry belongs", File(Text("0", "x"))},
    };
    for (const auto& c : cases) EXPECT_FALSE(ParseShortcutFile(c.bytes).has_value()) << c.name;
}

TEST(SteamShortcuts, EntriesAreReadWithTheirBytesAndIdentity) {
    const std::optional<ShortcutFile> empty = ParseShortcutFile("");
    ASSERT_TRUE(empty.has_value()) << "a missing file is a list with no shortcuts";
    EXPECT_TRUE(empty->entries.empty());

    const std::string second = ShortcutEntryBytes("1", Ours(1));
    const std::optional<ShortcutFile> file = ParseShortcutFile(File(kOtherEntry + second));
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(file->entries.size(), 2u);
    EXPECT_EQ(file->entries[0].bytes, kOtherEntry);
    EXPECT_EQ(file->entries[0].key, "0");
    EXPECT_EQ(file->entries[0].appName, "Some Editor") << "keys are read whatever their case";
    EXPECT_EQ(file->entries[0].exe, "\"C:\\Tools\\editor.exe\"");
    EXPECT_EQ(file->entries[1].bytes, second);
    EXPECT_EQ(file->entries[1].appName, "TALVARO GP");
    EXPECT_EQ(file->entries[1].launchOptions, "--play 1");
    // The id goes in as Steam reads it: a 32-bit number, least significant byte first.
    EXPECT_EQ(second.substr(3, 11), Z("appid").insert(0, "\x02") + std::string("\x3D\x16\x23\xDF", 4));
}

TEST(SteamShortcuts, AddingTwiceKeepsOtherEntriesAndUpdatesOurs) {
    const std::vector<SteamShortcut> ours = {Ours(1), Ours(2)};
    const ShortcutMerge first = MergeShortcuts(*ParseShortcutFile(File(kOtherEntry)), ours);
    EXPECT_EQ(first.added, 2);
    EXPECT_EQ(first.updated, 0);
    EXPECT_EQ(first.bytes, File(kOtherEntry + ShortcutEntryBytes("1", Ours(1)) + ShortcutEntryBytes("2", Ours(2))));

    const ShortcutMerge second = MergeShortcuts(*ParseShortcutFile(first.bytes), ours);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.updated, 2);
    EXPECT_EQ(second.bytes, first.bytes) << "a second press changed the file";

    // The player renamed our shortcut in Steam: same program, same options, so it is still ours;
    // a gap in the keys of other entries puts new ones after the highest.
    SteamShortcut renamed = Ours(1);
    renamed.appName = "Talvaro";
    const std::string file = File(kOtherEntry + ShortcutEntryBytes("5", renamed));
    const ShortcutMerge third = MergeShortcuts(*ParseShortcutFile(file), ours);
    EXPECT_EQ(third.updated, 1);
    EXPECT_EQ(third.added, 1);
    EXPECT_EQ(third.bytes, File(kOtherEntry + ShortcutEntryBytes("5", Ours(1)) + ShortcutEntryBytes("6", Ours(2))));
}

TEST(SteamShortcuts, MessageSaysWhatWasDoneAndWhatSteamNeeds) {
    using Outcome = AddToSteamReport::Outcome;
    auto report = [](Outcome outcome, int written, bool running, std::vector<std::wstring> unreadable = {}) {
        AddToSteamReport r;
        r.outcome = outcome;
        r.games = {L"TALVARO GP"};
        r.accountsWritten = written;
        r.steamRunning = running;
        r.unreadable = std::move(unreadable);
        return r;
    };
    const struct {
        AddToSteamReport report;
        const wchar_t* text;
    } cases[] = {
        {report(Outcome::Done, 2, true),
         L"TALVARO GP is in Steam's library of 2 accounts.\n\n"
         L"Steam is running: exit Steam and start it again to see them."},
        {report(Outcome::Done, 1, false, {L"41", L"42"}),
         L"TALVARO GP is in Steam's library of 1 account.\n\nSteam shows them the next time it starts.\n\n"
         L"The shortcut list (shortcuts.vdf) of account 41, 42 could not be read; it was left untouched."},
        {[&] {
             AddToSteamReport both = report(Outcome::Done, 1, false);
             both.games = {L"TALVARO GP", L"KASTRI GP II"};
             both.picturesMissing = 3;
             return both;
         }(),
         L"TALVARO GP and KASTRI GP II are in Steam's library of 1 account. 3 of the library pictures could not be "
         L"written.\n\nSteam shows them the next time it starts."},
        {report(Outcome::NoAccounts, 0, false),
         L"Steam has no account on this PC yet. Sign in to Steam once, then add the games again."},
        {report(Outcome::NoGames, 0, false),
         L"No game is installed yet. Install the games first, then add them to Steam."},
        {report(Outcome::UnderProton, 0, true),
         L"The Launcher is running under Proton: Steam already starts it as a shortcut. To start a game straight "
         L"from Steam's library, add another shortcut of the Launcher and put --play 1 or --play 2 in its launch "
         L"options."},
    };
    for (const auto& c : cases) EXPECT_EQ(AddToSteamMessage(c.report), c.text);
}

TEST(SteamShortcuts, AccountsAreTheNumberedFoldersOfUserdataButZero) {
    TempFolder steam(L"tlvr-steam");
    for (const wchar_t* name : {L"0", L"31", L"anonymous", L"1200", L"12a"}) {
        std::filesystem::create_directories(steam.path() / L"userdata" / name);
    }
    WriteFileBytes(steam.path() / L"userdata" / L"55", "a file, not an account");
    EXPECT_EQ(SteamAccounts(steam.path()), (std::vector<std::wstring>{L"1200", L"31"}));
    EXPECT_TRUE(SteamAccounts(steam.path() / L"missing").empty());

    // Under Proton nothing is looked at: the message tells what to do instead.
    AddToSteamRequest request;
    request.steamFolder = steam.path();
    request.games = {0, 1};
    request.underProton = true;
    EXPECT_EQ(AddGamesToSteam(request).outcome, AddToSteamReport::Outcome::UnderProton);
    request.underProton = false;
    request.games.clear();
    EXPECT_EQ(AddGamesToSteam(request).outcome, AddToSteamReport::Outcome::NoGames);
    request.games = {0};
    request.steamFolder = steam.path() / L"missing";
    EXPECT_EQ(AddGamesToSteam(request).outcome, AddToSteamReport::Outcome::NoAccounts);
    request.steamFolder.clear();
    EXPECT_EQ(AddGamesToSteam(request).outcome, AddToSteamReport::Outcome::NoSteam);
}
