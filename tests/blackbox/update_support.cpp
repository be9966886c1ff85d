#include "update_support.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <fstream>

namespace bb {

namespace {
void CopyInto(const fs::path& file, const fs::path& folder) {
    fs::create_directories(folder);
    fs::copy_file(file, folder / file.filename(), fs::copy_options::overwrite_existing);
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

HWND NthChildOfClass(HWND window, const wchar_t* className, int n) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassName(child).c_str(), className) == 0 && n-- == 0) return child;
    }
    return nullptr;
}
}  // namespace

UpdateInstallation::UpdateInstallation() : UpdateInstallation(Options{}) {}

UpdateInstallation::UpdateInstallation(const Options& options) : folder_(L"tlvr-update"), drive_(options.drive) {
    // At a drive's root the path ends in a backslash: "T:\".
    root_ = drive_ ? fs::path(std::wstring(1, drive_) + L":\\") : folder_.path() / L"Tålvaro Ovra ünïcode";
    fs::create_directories(root_);
    const fs::path demoArt = DemoFolder() / L"assets" / L"launcher";
    for (const wchar_t* name : {L"masthead.png", L"tlvr1.png", L"tlvr2.png", L"Barlow-Regular.ttf",
                                L"BarlowCondensed-Bold.ttf", L"BarlowCondensed-BoldItalic.ttf"}) {
        if (fs::exists(demoArt / name)) CopyInto(demoArt / name, root_ / L"assets" / L"launcher");
    }
    CopyInto(BinFolder() / L"TalvaroOvraRecomp.exe", root_);
    WriteFileBytes(root_ / L"tools" / L"update_release.py", "# the stand-in interpreter plays this script\n");
    if (options.interpreter) {
        fs::create_directories(root_ / L".tools" / L"python");
        fs::copy_file(BinFolder() / L"tlvr_standin_python.exe", root_ / L".tools" / L"python" / L"python.exe");
    }
    if (options.installedCopy) WriteFileBytes(root_ / L".local" / L"installation.json", "{}\n");
}

UpdateInstallation::~UpdateInstallation() {
    if (!drive_) return;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(root_, error)) fs::remove_all(entry.path(), error);
}

void UpdateInstallation::CopyHost() const {
    CopyInto(BinFolder() / L"TalvaroOvraRecomp.exe", jobFolder());
    WriteFileBytes(jobFolder() / L"tools" / L"update_release.py", "# the new release's helper\n");
}

void UpdateInstallation::WriteScenario(const std::string& text) const {
    const std::wstring wide = L"\xFEFF" + Wide(text);
    WriteFileBytes(root_ / L".tools" / L"python" / L"standin-scenario.ini",
                   std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)));
}

std::vector<std::wstring> UpdateInstallation::Calls() const {
    std::vector<std::wstring> calls;
    std::ifstream in(root_ / L".tools" / L"python" / L"standin-calls.log", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) calls.push_back(Wide(line));
    return calls;
}

int UpdateInstallation::CallCount(const std::wstring& job) const {
    int count = 0;
    for (const std::wstring& call : Calls()) {
        const std::vector<std::wstring> words = SplitWords(call);
        if (words.size() > 4 && words[4] == job) ++count;
    }
    return count;
}

Process UpdateInstallation::Start(const std::wstring& arguments,
                                  const std::map<std::wstring, std::wstring>& env) const {
    Process process = Process::Start(launcher(), arguments, root_, env);
    EXPECT_TRUE(process.started()) << "could not start the launcher";
    return process;
}

bool DriveAvailable(wchar_t drive) {
    const std::wstring root = std::wstring(1, drive) + L":\\";
    return GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR;
}

std::wstring QuoteWord(const std::wstring& word) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

Process StartApplyRun(const UpdateInstallation& installation, bool recover, DWORD id, unsigned long long created,
                      const std::map<std::wstring, std::wstring>& env) {
    const std::wstring arguments = std::wstring(recover ? L"--recover-update " : L"--apply-update ") +
                                   QuoteWord(installation.root().wstring()) + L" " +
                                   QuoteWord(installation.jobFolder().wstring()) + L" " + std::to_wstring(id) +
                                   L" " + std::to_wstring(created);
    Process process = Process::Start(installation.host(), arguments, installation.jobFolder(), env);
    EXPECT_TRUE(process.started()) << "could not start the apply run";
    return process;
}

Process StartOldLauncher(const UpdateInstallation& installation, const fs::path& release) {
    return Process::Start(BinFolder() / L"tlvr_standin_game.exe", L"", installation.root(),
                          {{L"TLVR_STANDIN_WAIT_FILE", release.wstring()},
                           {L"TLVR_STANDIN_RECORD", (installation.root() / L"r.txt").wstring()}});
}

void ExpectStartRefusedAsAlreadyOpen(const UpdateInstallation& installation) {
    Process launcher = installation.Start();
    const auto box = WaitForMessageBox(launcher, kLaunchTimeout);
    ASSERT_TRUE(box.has_value()) << "the start was not refused";
    EXPECT_EQ(box->text, L"The launcher or updater is already open for this installation.");
    PressMessageBoxButton(*box);
    EXPECT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
}

bool WaitForRestartedLauncher(const UpdateInstallation& installation, std::chrono::milliseconds timeout) {
    const fs::path picture = installation.jobFolder() / L"updated-launcher.png";
    const bool written = WaitUntil([&] { return fs::exists(picture) && PngImage(picture).loaded(); }, timeout);
    Sleep(500);  // the capture run ends right after writing
    return written;
}

std::vector<std::wstring> SplitWords(const std::wstring& line) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(line.c_str(), &count);
    if (!words) return {};
    std::vector<std::wstring> result(words, words + count);
    LocalFree(words);
    return result;
}

std::wstring StatusText(HWND window) { return WindowText(NthChildOfClass(window, L"Static", 2)); }
std::wstring LogText(HWND window) { return WindowText(NthChildOfClass(window, L"Edit", 0)); }
bool ButtonEnabled(HWND window, int id) { return IsWindowEnabled(ChildWithId(window, id)) != FALSE; }

::testing::AssertionResult WaitForStatus(HWND window, const std::wstring& text, std::chrono::milliseconds timeout) {
    std::wstring seen;
    if (WaitUntil([&] {
            seen = StatusText(window);
            return seen == text;
        }, timeout)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "status line reads \"" << Utf8(seen) << "\", expected \"" << Utf8(text)
                                         << "\"";
}

HWND WaitForApplyWindow(std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowW(kUpdatesClass, kApplyTitle)) != nullptr; }, timeout);
    return found;
}

bool WaitForWindowProcessExit(HWND window, std::chrono::milliseconds timeout) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return true;
    const bool ended = WaitForSingleObject(process, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

unsigned long long CreationTime(HANDLE process) {
    FILETIME creation = {}, exit = {}, kernel = {}, user = {};
    GetProcessTimes(process, &creation, &exit, &kernel, &user);
    return (static_cast<unsigned long long>(creation.dwHighDateTime) << 32) | creation.dwLowDateTime;
}

std::wstring UpdatesButtonText(HWND home) { return WindowText(ChildWithId(home, 207)); }

HWND OpenUpdates(const Process& launcher, HWND home) {
    ClickButton(ChildWithId(home, 207));
    const std::optional<Window> window = launcher.FindWindowOfClass(kUpdatesClass, kJobTimeout);
    return window ? window->hwnd : nullptr;
}

}  // namespace bb
