// A crash dump holds no form of the profile path, and still opens. The crash itself, on any
// thread and out of stack, is a black-box test.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cwctype>

#include "minidump_reader.h"
#include "report/crash_dump.h"
#include "report/dump_privacy.h"
#include "report/problem_report.h"
#include "temp_folder.h"
#include "test_text.h"

namespace fs = std::filesystem;

namespace {
std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

std::string Masked(const DumpMaskForms& forms, std::string bytes) {
    MaskDumpBytes(forms, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size());
    return bytes;
}

std::string AsciiLower(std::string bytes) {
    for (char& c : bytes) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return bytes;
}
}  // namespace

TEST(CrashDumpPrivacy, EveryFormOfTheProfilePathIsMaskedInPlace) {
    DumpMaskForms forms;
    PrepareDumpMaskForms(L"C:\\Users\\\u00C5sa Lind", L"C:\\Users\\SALIND~1", forms);
    const std::wstring stars = L"*****************";  // as long as the long form
    const struct {
        const char* what;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"UTF-16, other case", Utf16Bytes(L"x C:\\USERS\\\u00E5SA LIND\\Games"),
         Utf16Bytes(L"x " + stars + L"\\Games")},
        {"UTF-16 at an odd offset", "\x01" + Utf16Bytes(L"c:\\users\\\u00C5sa lind"), "\x01" + Utf16Bytes(stars)},
        {"UTF-16 with slashes", Utf16Bytes(L"C:/Users/\u00C5sa Lind/x"), Utf16Bytes(stars + L"/x")},
        {"UTF-16 short form", Utf16Bytes(L"c:\\users\\salind~1\\AppData"), Utf16Bytes(L"*****************\\AppData")},
        {"UTF-8, other case", Utf8(L"C:\\users\\\u00E5SA lind\\x"), std::string(18, '*') + "\\x"},
        {"UTF-8 short form with slashes", "[C:/USERS/SALIND~1]", "[" + std::string(17, '*') + "]"},
        {"another user's folder", Utf16Bytes(L"C:\\Users\\Bo\\x"), Utf16Bytes(L"C:\\Users\\Bo\\x")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Masked(forms, c.bytes), c.expected) << c.what;
        EXPECT_EQ(c.bytes.size(), c.expected.size()) << c.what << ": a mask must not move anything";
    }
    // So short a path could match a dump's own numbers: it is not looked for.
    PrepareDumpMaskForms(L"C:\\U", L"", forms);
    EXPECT_EQ(forms.count, 0u);
}

TEST(CrashDumpPrivacy, DumpUnderTheProfileHoldsNoFormOfItAndStillOpens) {
    const RedactionTerms terms = CurrentRedactionTerms();
    ASSERT_FALSE(terms.profilePath.empty()) << "this system names no profile folder";
    // The installation inside the profile: the dump's own path buffers then hold the profile path.
    TempFolder root(L"tlvr-dumpcheck", fs::path(terms.profilePath));
    ASSERT_EQ(root.path().native().rfind(terms.profilePath, 0), 0u);
    PrepareCrashDumps(root.path());
    // The crashing thread's stack is in every dump: a path of the profile on it, both encodings.
    const std::wstring marker = L"\\tlvr-dump-marker-" + std::to_wstring(GetCurrentProcessId());
    volatile wchar_t wideOnStack[600] = {};
    volatile char utf8OnStack[1200] = {};
    const std::wstring onStack = terms.profilePath + marker;
    const std::string onStack8 = Utf8(onStack);
    ASSERT_LT(onStack.size(), 600u);
    ASSERT_LT(onStack8.size(), 1200u);
    for (size_t i = 0; i < onStack.size(); ++i) wideOnStack[i] = onStack[i];
    for (size_t i = 0; i < onStack8.size(); ++i) utf8OnStack[i] = onStack8[i];

    ASSERT_TRUE(WriteDumpForCheck()) << "no dump was written";
    const fs::path crashes = root.path() / L".local" / L"crashes";
    std::vector<fs::path> dumps;
    for (const auto& entry : fs::directory_iterator(crashes)) dumps.push_back(entry.path());
    ASSERT_EQ(dumps.size(), 1u) << "expected one file in .local/crashes";
    EXPECT_TRUE(IsCrashDumpName(dumps[0].filename().wstring())) << dumps[0].filename().string();
    const std::string dump = ReadFileBytes(dumps[0]);

    ASSERT_TRUE(MinidumpStreams(dump).has_value()) << "the stream directory is broken";
    const auto exception = MinidumpExceptionOf(dump);
    ASSERT_TRUE(exception.has_value()) << "no exception stream";
    EXPECT_EQ(exception->code, kDumpCheckCode);
    EXPECT_EQ(exception->threadId, GetCurrentThreadId()) << "the dump names the writer, not the crashing thread";
    const std::vector<std::wstring> modules = MinidumpModuleNames(dump);
    EXPECT_TRUE(std::any_of(modules.begin(), modules.end(), [](const std::wstring& name) {
        std::wstring lower = name;
        for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
        return lower.find(L"tlvr_unit_tests.exe") != std::wstring::npos;
    })) << "the module list lost the program's name";

    // The stack is in the dump (the part of the paths after the profile is there)...
    EXPECT_NE(dump.find(Utf16Bytes(marker)), std::string::npos) << "the dump holds no UTF-16 path of the stack";
    EXPECT_NE(dump.find(Utf8(marker)), std::string::npos) << "the dump holds no UTF-8 path of the stack";
    // ...and no form of the profile path, in any case.
    const std::string lowered = AsciiLower(dump);
    for (const std::wstring& path : {terms.profilePath, terms.profileShortPath}) {
        if (path.empty()) continue;
        for (const std::wstring& form : {path, fs::path(path).generic_wstring()}) {
            std::wstring lowerForm = form;
            CharLowerBuffW(lowerForm.data(), static_cast<DWORD>(lowerForm.size()));
            EXPECT_EQ(lowered.find(AsciiLower(Utf16Bytes(lowerForm))), std::string::npos)
                << "UTF-16 " << Utf8(form);
            EXPECT_EQ(lowered.find(AsciiLower(Utf8(lowerForm))), std::string::npos) << "UTF-8 " << Utf8(form);
        }
    }
}
