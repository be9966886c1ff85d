// The problem report's contents: the profile path kept out of every text, long files cut to
// their end, the newest dumps, and no zip left behind when it cannot be written. The --report
// scenario end to end is a black-box test.
#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "app/launcher_state.h"
#include "app/output_lines.h"
#include "app/sha256.h"
#include "report/problem_report.h"
#include "report/profile_redaction.h"
#include "temp_folder.h"
#include "zip_reader.h"

namespace fs = std::filesystem;

namespace {
std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

void SetWriteTime(const fs::path& file, int minutesAgo) {
    fs::last_write_time(file, fs::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
}
}  // namespace

TEST(ProblemReport, ProfilePathAndNamesAreHiddenInEveryFormAndAcrossPieces) {
    const RedactionTerms ana{L"C:\\Users\\Ana Lyn", L"C:\\Users\\ANALYN~1", L"BOX-7", L"jdoe"};
    // A profile whose last part is the user's name, with a letter outside ASCII.
    const RedactionTerms asa{L"C:\\Users\\\u00C5sa", L"", L"", L"\u00C5sa"};
    struct Case {
        const char* name;
        const RedactionTerms* terms;
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"UTF-8, as written", &ana, "open C:\\Users\\Ana Lyn\\save.dat\n", "open %USERPROFILE%\\save.dat\n"},
        {"other case and slashes", &ana, "c:/users/ANA LYN/x and C:\\USERS\\ana lyn", "%USERPROFILE%/x and %USERPROFILE%"},
        {"UTF-16", &ana, Utf16Bytes(L"at C:\\Users\\Ana Lyn\\a"), Utf16Bytes(L"at %USERPROFILE%\\a")},
        {"doubled backslashes, as Python writes them", &ana, "'C:\\\\Users\\\\Ana Lyn\\\\a.py'", "'%USERPROFILE%\\\\a.py'"},
        {"doubled backslashes in UTF-16, up to a quote", &ana, Utf16Bytes(L"\"C:\\\\Users\\\\ana lyn\""),
         Utf16Bytes(L"\"%USERPROFILE%\"")},
        {"the short form, in any case", &ana, "TEMP=C:\\Users\\ANALYN~1\\Temp;c:/users/analyn~1",
         "TEMP=%USERPROFILE%\\Temp;%USERPROFILE%"},
        {"the end of a line ends the path", &ana, "in C:\\Users\\Ana Lyn\r\n", "in %USERPROFILE%\r\n"},
        {"a beginning of the path stays", &ana, "C:\\Users\\Ana", "C:\\Users\\Ana"},
        {"a longer name is another folder", &ana, "C:\\Users\\Ana Lynx\\a C:\\Users\\Ana Lyn2",
         "C:\\Users\\Ana Lynx\\a C:\\Users\\Ana Lyn2"},
        {"a longer name in UTF-16", &ana, Utf16Bytes(L"C:\\Users\\Ana Lynn"), Utf16Bytes(L"C:\\Users\\Ana Lynn")},
        {"computer and user names anywhere", &ana, "host box-7.lan, user JDOE\\jdoe",
         "host %COMPUTERNAME%.lan, user %USERNAME%\\%USERNAME%"},
        {"names in UTF-16", &ana, Utf16Bytes(L"BOX-7/jdoe"), Utf16Bytes(L"%COMPUTERNAME%/%USERNAME%")},
        {"folders outside the profile stay", &ana, "D:\\Games\\Ovra C:\\Users\\Public\\roms",
         "D:\\Games\\Ovra C:\\Users\\Public\\roms"},
        {"a letter outside ASCII in the other case", &asa, WideToUtf8(L"C:\\USERS\\\u00E5SA\\x"), "%USERPROFILE%\\x"},
        {"the user's name as the profile's last part is not hidden alone", &asa, WideToUtf8(L"\u00C5sa wrote"),
         WideToUtf8(L"\u00C5sa wrote")},
        {"nothing to hide", &ana, "plain text", "plain text"},
    };
    for (const Case& c : cases) {
        // Whole, and in every piece size that splits a term somewhere.
        for (size_t piece : {c.input.size() + 1, size_t{1}, size_t{2}, size_t{5}, size_t{13}}) {
            ProfilePathRedactor redactor(*c.terms);
            std::string out;
            for (size_t at = 0; at < c.input.size(); at += piece) {
                redactor.Feed(c.input.data() + at, std::min(piece, c.input.size() - at), out);
            }
            redactor.Finish(out);
            EXPECT_EQ(out, c.expected) << c.name << ", pieces of " << piece;
        }
    }
    EXPECT_EQ(RedactProfilePath(RedactionTerms{}, "C:\\Users\\Ana Lyn"), "C:\\Users\\Ana Lyn");
}

TEST(ProblemReport, ZipHoldsTheInstallationsTextsCutToTheirEndAndTheNewestDumps) {
    TempFolder root(L"tlvr-report");
    const fs::path local = root.path() / L".local";
    const std::wstring profile = (root.path() / L"profile" / L"Ana").wstring();
    const std::string profileUtf8 = WideToUtf8(profile);
    WriteFileBytes(local / L"launcher.ini", "[launcher]\r\nfilter=1\r\n");
    WriteFileBytes(local / L"controls.ini", "[controls]\r\nprofile=" + profileUtf8 + "\\pads.ini\r\n");
    WriteFileBytes(local / L"updates" / L"update.log", Utf16Bytes(L"job in " + profile + L"\\job"));
    // A log longer than the limit: its end survives from a whole line on, and the path in it is
    // hidden even where the cut falls.
    std::string longLog(kReportFileLimit, 'x');
    for (size_t at = 100; at < longLog.size(); at += 1000) longLog[at] = '\n';
    longLog += "\nlast line from " + profileUtf8 + "\n";
    WriteFileBytes(local / L"logs" / L"tlvr1-latest.log", "first line\n" + longLog);
    WriteFileBytes(root.path() / L"games" / L"tlvr1" / L"tlvr1.exe", "MZ game");
    WriteFileBytes(root.path() / L"roms" / L"tlvr1.bin", "rom bytes");
    for (int i = 1; i <= 4; ++i) {
        const fs::path dump = local / L"crashes" / (L"launcher-" + std::to_wstring(i) + L".dmp");
        WriteFileBytes(dump, "MDMP" + std::string(10, static_cast<char>('0' + i)) + profileUtf8);
        SetWriteTime(dump, 10 * i);  // dump 1 is the newest
    }
    WriteFileBytes(local / L"crashes" / L"launcher-big.dmp", "MDMP" + std::string(kReportFileLimit, 'd'));

    ProblemReportSource source;
    source.root = root.path();
    source.launcherFolder = root.path();
    source.redaction.profilePath = profile;
    source.settings.filter = 1;
    std::wstring zipPath, error;
    ASSERT_TRUE(WriteProblemReport(source, &zipPath, &error)) << WideToUtf8(error);
    EXPECT_EQ(fs::path(zipPath).parent_path(), local / L"reports");
    EXPECT_EQ(fs::path(zipPath).filename().wstring().rfind(L"report-", 0), 0u);

    // A second report within the same second gets a name of its own.
    std::wstring secondPath;
    ASSERT_TRUE(WriteProblemReport(source, &secondPath, &error));
    EXPECT_NE(secondPath, zipPath);

    const ZipContents zip = ReadZipFile(zipPath);
    ASSERT_TRUE(zip.opened && zip.intact);
    auto entries = zip.entries;
    std::vector<std::string> names;
    for (const auto& [name, content] : entries) names.push_back(name);
    // Of the newest three dumps, the big one is too large to travel whole; dumps 3 and 4 are older.
    EXPECT_EQ(names, (std::vector<std::string>{"controls.ini", "crashes/launcher-1.dmp", "crashes/launcher-2.dmp",
                                               "launcher.ini", "logs/tlvr1-latest.log",
                                               "report.txt", "updates/update.log"}));
    for (const auto& [name, content] : entries) {
        if (name.rfind("crashes/", 0) == 0) {
            EXPECT_NE(content.find(profileUtf8), std::string::npos) << name << ": dumps are copied unchanged";
        } else {
            EXPECT_EQ(content.find(profileUtf8), std::string::npos) << name << " shows the profile path";
            EXPECT_EQ(content.find(Utf16Bytes(profile)), std::string::npos) << name << " shows the profile path";
        }
    }
    EXPECT_EQ(entries["controls.ini"], "[controls]\r\nprofile=%USERPROFILE%\\pads.ini\r\n");
    EXPECT_EQ(entries["updates/update.log"], Utf16Bytes(L"job in %USERPROFILE%\\job"));
    const std::string& log = entries["logs/tlvr1-latest.log"];
    EXPECT_LE(log.size(), kReportFileLimit);
    EXPECT_GT(log.size(), kReportFileLimit - 1000);
    EXPECT_EQ(log.substr(0, 3), "xxx") << "a cut log starts at a whole line";
    EXPECT_EQ(log.find("first line"), std::string::npos);
    const std::string lastLine = "last line from %USERPROFILE%\n";
    EXPECT_EQ(log.substr(log.size() - lastLine.size()), lastLine);

    const std::string& report = entries["report.txt"];
    for (const char* part : {"== Launcher ==", "Version: 0.60", "== Machine ==", "Windows: ", "== Game controllers ==",
                             "== Games ==", "== Last game sessions ==", "== Settings in force ==", "Filter: Linear",
                             "== Files in this report ==", "logs/tlvr1-latest.log: ", "cut to its last 2 MB",
                             "crashes/launcher-big.dmp: left out", "install-0.60.log: not present"}) {
        EXPECT_NE(report.find(part), std::string::npos) << "report.txt lacks \"" << part << "\"\n" << report;
    }
    // The game's files are described by their digests; the files themselves stay out.
    EXPECT_NE(report.find("tlvr1.exe, 7 bytes, SHA-256 e8f20751d1a5bf286ec022f24f2fc8ebbdfc60f4b2ab3b59acd7965f5e446b33"),
              std::string::npos);
    EXPECT_NE(report.find("tlvr1.bin, 9 bytes, SHA-256 8389992d3afe0811c2c4330fae2fce4223c95bcc1dd574186d452076be6edab6"),
              std::string::npos);
}

TEST(ProblemReport, FileDigestsAreSha256OverEveryPiece) {
    TempFolder folder(L"tlvr-digest");
    std::string data(3 * 1024 * 1024 + 5, '\0');  // more than three read pieces
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 26);
    WriteFileBytes(folder.path() / L"big.bin", data);
    WriteFileBytes(folder.path() / L"empty.bin", "");
    EXPECT_EQ(Sha256OfFile(folder.path() / L"big.bin"),
              std::optional<std::wstring>(L"6958241240fd9318ea4ae676610de40d16d148b5b5296bd772130a44ec1c0bb3"));
    EXPECT_EQ(Sha256OfFile(folder.path() / L"empty.bin"),
              std::optional<std::wstring>(L"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    EXPECT_EQ(Sha256OfFile(folder.path() / L"missing.bin"), std::nullopt);
}

TEST(ProblemReport, FailureLeavesNoZipAndSaysWhy) {
    TempFolder root(L"tlvr-report-fail");
    // A file where the reports folder belongs.
    WriteFileBytes(root.path() / L".local" / L"reports", "in the way");
    ProblemReportSource source;
    source.root = root.path();
    std::wstring zipPath, error;
    EXPECT_FALSE(WriteProblemReport(source, &zipPath, &error));
    EXPECT_TRUE(zipPath.empty());
    EXPECT_NE(error.find(L".local\\reports"), std::wstring::npos) << WideToUtf8(error);
}

// A saved report whose folder the shell cannot show: a box says so and names the report's path,
// or the player would not know where it went.
TEST(ProblemReport, AFolderThatCannotBeShownIsSaidWithTheReportsPath) {
    TempFolder root(L"tlvr-report-folder");
    const std::filesystem::path savedRoot = g_launcher.root;
    g_launcher.root = root.path();
    SetReportFolderOpenerForTesting([](const std::wstring&) { return false; });
    // The box is modal on this thread: another thread reads it and answers it.
    std::wstring boxText;
    std::thread answer([&boxText] {
        for (int i = 0; i < 600; ++i) {
            if (HWND box = FindWindowW(L"#32770", L"Save a report")) {
                EnumChildWindows(box, [](HWND child, LPARAM found) -> BOOL {
                    wchar_t text[2048] = {};
                    GetWindowTextW(child, text, 2048);
                    *reinterpret_cast<std::wstring*>(found) += text;
                    return TRUE;
                }, reinterpret_cast<LPARAM>(&boxText));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(50);
        }
    });
    SaveProblemReportFromWindow(nullptr);
    answer.join();
    SetReportFolderOpenerForTesting(nullptr);
    g_launcher.root = savedRoot;
    EXPECT_NE(boxText.find(L"but its folder could not be opened"), std::wstring::npos) << WideToUtf8(boxText);
    EXPECT_NE(boxText.find((root.path() / L".local" / L"reports").wstring()), std::wstring::npos)
        << WideToUtf8(boxText);
}
