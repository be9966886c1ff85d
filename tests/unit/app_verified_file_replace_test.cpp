// Verified saves over what an earlier save or the user left behind: stale temporary files and
// read-only marks.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "app/verified_file_replace.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
void MarkReadOnly(const fs::path& file) { SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY); }
bool ReadOnly(const fs::path& file) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::wstring Key(const fs::path& file, const wchar_t* key) {
    wchar_t value[64] = {};
    GetPrivateProfileStringW(L"launcher", key, L"(none)", value, 64, file.c_str());
    return value;
}
}  // namespace

TEST(VerifiedReplace, LeftoversAndReadOnlyMarksNeverBlockOrSpoilASave) {
    struct Case {
        const char* name;
        bool keepOtherKeys;
        std::function<void(const fs::path& file)> arrange;
        bool readOnlyAfter;  // the user's mark on the settings file outlives the save
    } cases[] = {
        {"a stale temporary file is not built upon", false,
         [](const fs::path& file) { WriteFileBytes(file.wstring() + L".tmp", "[launcher]\r\nstale=1\r\n"); }, false},
        {"a read-only stale temporary file", true,
         [](const fs::path& file) {
             WriteFileBytes(file.wstring() + L".tmp", "[launcher]\r\nstale=1\r\n");
             MarkReadOnly(file.wstring() + L".tmp");
         },
         false},
        {"a read-only stale proof file", true,
         [](const fs::path& file) {
             WriteFileBytes(file.wstring() + L".new", "[launcher]\r\nstale=1\r\n");
             MarkReadOnly(file.wstring() + L".new");
         },
         false},
        {"a read-only target copied into the temporary file", true, [](const fs::path& file) { MarkReadOnly(file); },
         true},
        {"a read-only target rewritten without its other keys", false, [](const fs::path& file) { MarkReadOnly(file); },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder(L"tlvr-replace");
        const fs::path file = folder.path() / L"launcher.ini";
        WriteFileBytes(file, "[launcher]\r\ngame=0\r\nmine=7\r\n");
        c.arrange(file);
        EXPECT_TRUE(ReplaceProfileFileVerified(file, {{L"launcher", L"game", L"1"}}, {c.keepOtherKeys}));
        EXPECT_EQ(Key(file, L"game"), L"1");
        EXPECT_EQ(Key(file, L"stale"), L"(none)") << "a leftover's key reached the file";
        EXPECT_EQ(Key(file, L"mine"), c.keepOtherKeys ? L"7" : L"(none)");
        EXPECT_FALSE(fs::exists(file.wstring() + L".tmp"));
        EXPECT_FALSE(fs::exists(file.wstring() + L".new"));
        EXPECT_EQ(ReadOnly(file), c.readOnlyAfter);
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    // A file written whole, over a read-only stale temporary file and a read-only target.
    TempFolder folder(L"tlvr-replace");
    const fs::path record = folder.path() / L"record.json";
    WriteFileBytes(record, "old");
    WriteFileBytes(record.wstring() + L".tmp", "stale and longer");
    MarkReadOnly(record);
    MarkReadOnly(record.wstring() + L".tmp");
    EXPECT_TRUE(ReplaceFileVerified(record, "new"));
    EXPECT_EQ(ReadFileBytes(record), "new");
    EXPECT_TRUE(ReadOnly(record)) << "the save took the read-only mark away";
    EXPECT_FALSE(fs::exists(record.wstring() + L".tmp"));
    SetFileAttributesW(record.c_str(), FILE_ATTRIBUTE_NORMAL);
}
