#include "harness.h"

#include <algorithm>
#include <objidl.h>
#include <gdiplus.h>
#include <thread>
#include <utility>

namespace bb {

namespace {
void CopyInto(const fs::path& from, const fs::path& toFolder) {
    fs::create_directories(toFolder);
    fs::copy_file(from, toFolder / from.filename(), fs::copy_options::overwrite_existing);
}

// The current environment with `overrides` applied, as a CreateProcessW block.
std::wstring EnvironmentBlock(const std::map<std::wstring, std::wstring>& overrides) {
    std::map<std::wstring, std::wstring> vars;
    LPWCH strings = GetEnvironmentStringsW();
    for (const wchar_t* p = strings; *p; p += wcslen(p) + 1) {
        const std::wstring entry = p;
        const size_t eq = entry.find(L'=', 1);  // "=C:=C:\" entries start with '='
        if (eq == std::wstring::npos) continue;
        vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : overrides) {
        // Environment names are case-insensitive.
        for (auto it = vars.begin(); it != vars.end();) {
            it = _wcsicmp(it->first.c_str(), name.c_str()) == 0 ? vars.erase(it) : std::next(it);
        }
        if (!value.empty()) vars[name] = value;
    }
    std::wstring block;
    for (const auto& [name, value] : vars) block += name + L"=" + value + L'\0';
    block += L'\0';
    return block;
}

struct EnumContext {
    DWORD processId;
    std::vector<Window>* windows;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto* context = reinterpret_cast<EnumContext*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == context->processId) {
        context->windows->push_back(Window{hwnd, ClassName(hwnd), WindowText(hwnd)});
    }
    return TRUE;
}

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiplusSession() { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};
}  // namespace

fs::path BinFolder() {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return fs::path(std::wstring(buffer.data(), length)).parent_path();
}

fs::path DemoFolder() { return BinFolder().parent_path() / L"demo"; }

Installation::Installation() : Installation(Options{}) {}

Installation::Installation(const Options& options) : folder_(L"tlvr-install", options.base) {
    const fs::path art = root() / L"assets" / L"launcher";
    fs::create_directories(art);
    const fs::path demoArt = DemoFolder() / L"assets" / L"launcher";
    if (options.artwork) {
        for (const wchar_t* name : {L"masthead.png", L"tlvr1.png", L"tlvr2.png"}) CopyInto(demoArt / name, art);
    }
    if (options.fonts) {
        for (const wchar_t* name :
             {L"Barlow-Regular.ttf", L"BarlowCondensed-Bold.ttf", L"BarlowCondensed-BoldItalic.ttf",
              L"FiraSansCondensed-Regular.ttf", L"FiraSansCondensed-Bold.ttf", L"FiraSansCondensed-BoldItalic.ttf"}) {
            if (fs::exists(demoArt / name)) CopyInto(demoArt / name, art);
        }
    }
    fs::path launcherFolder = root();
    if (!options.subfolder.empty()) launcherFolder /= options.subfolder;
    launcherPath_ = launcherFolder / L"TalvaroOvraRecomp.exe";
    if (options.launcher) CopyInto(BinFolder() / L"TalvaroOvraRecomp.exe", launcherFolder);
}

void Installation::InstallStandInGame(int number, const fs::path& program) {
    const std::wstring stem = L"tlvr" + std::to_wstring(number);
    const fs::path folder = root() / L"games" / stem;
    fs::create_directories(folder);
    fs::copy_file(program, folder / (stem + L".exe"), fs::copy_options::overwrite_existing);
    WriteFileBytes(root() / L"roms" / (stem + L".bin"), "stand-in ROM input\n");
}

Process::~Process() { Kill(); }

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Process Process::Start(const fs::path& program, const std::wstring& arguments,
                       const fs::path& workingFolder, const std::map<std::wstring, std::wstring>& env) {
    Process result;
    std::wstring commandLine = Quote(program);
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::wstring block = EnvironmentBlock(env);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, block.data(), workingFolder.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        result.process_ = info.hProcess;
        result.id_ = info.dwProcessId;
    }
    return result;
}

std::optional<DWORD> Process::WaitForExit(std::chrono::milliseconds timeout) {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

bool Process::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
    if (!process_) return;
    if (Running()) {
        TerminateProcess(process_, 999);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

std::vector<Window> Process::TopLevelWindows() const {
    std::vector<Window> windows;
    EnumContext context{id_, &windows};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    return windows;
}

std::optional<Window> Process::FindWindowOfClass(const std::wstring& className,
                                                 std::chrono::milliseconds timeout) const {
    std::optional<Window> found;
    WaitUntil([&] {
        for (const Window& w : TopLevelWindows()) {
            if (w.className == className) {
                found = w;
                return true;
            }
        }
        return false;
    }, timeout);
    return found;
}

std::optional<MessageBoxInfo> WaitForMessageBox(const Process& process, std::chrono::milliseconds timeout) {
    const std::optional<Window> dialog = process.FindWindowOfClass(L"#32770", timeout);
    if (!dialog) return std::nullopt;
    MessageBoxInfo box;
    box.hwnd = dialog->hwnd;
    box.caption = WindowText(dialog->hwnd);
    // A message box's text is the static control with id 0xFFFF (the icon is a static too). A task
    // dialog's texts are statics without ids, in the order shown: content, then expandable part.
    WaitUntil([&] {
        std::vector<std::wstring> texts;
        box.buttons.clear();
        box.text.clear();
        for (HWND child = GetWindow(box.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::wstring className = ClassName(child);
            if (className == L"Button") box.buttons.push_back(WindowText(child));
            if (className != L"Static") continue;
            const std::wstring text = WindowText(child);
            if (GetDlgCtrlID(child) == 0xFFFF) box.text = text;
            if (!text.empty()) texts.push_back(text);
        }
        if (box.text.empty() && !texts.empty()) {
            box.text = texts.front();
            box.details.clear();
            for (size_t i = 1; i < texts.size(); ++i) box.details += (i > 1 ? L"\n" : L"") + texts[i];
        }
        return !box.text.empty();
    }, 2000ms);
    return box;
}

void PressMessageBoxButton(const MessageBoxInfo& box) {
    if (HWND ok = GetDlgItem(box.hwnd, IDOK); ok && ClassName(ok) == L"Button") {
        ClickButton(ok);
        return;
    }
    for (HWND child = GetWindow(box.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"Button") {
            ClickButton(child);
            return;
        }
    }
    PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
}

bool PressDialogButton(const MessageBoxInfo& box, const std::wstring& text) {
    for (HWND child = GetWindow(box.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) == L"Button" && WindowText(child) == text) {
            ClickButton(child);
            return true;
        }
    }
    return false;
}

std::wstring WindowText(HWND hwnd) {
    // WM_GETTEXT works across processes, unlike GetWindowText on another process's controls.
    DWORD_PTR length = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    return std::wstring(buffer.data(), std::min<size_t>(copied, length));
}

std::wstring ClassName(HWND hwnd) {
    wchar_t buffer[256] = {};
    const int length = GetClassNameW(hwnd, buffer, 256);
    return std::wstring(buffer, length > 0 ? length : 0);
}

RECT WindowRect(HWND hwnd) {
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    return rect;
}

RECT ClientRect(HWND hwnd) {
    RECT rect = {};
    GetClientRect(hwnd, &rect);
    return rect;
}

HWND ChildWithId(HWND parent, int id) { return GetDlgItem(parent, id); }

HWND FocusedWindowOf(HWND hwnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void PressKey(HWND target, UINT virtualKey) {
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageW(target, WM_KEYUP, virtualKey,
                 1 | (static_cast<LPARAM>(scan) << 16) | (1LL << 30) | (1LL << 31));
}

void ClickButton(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::wstring Quote(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }

PngImage::PngImage(const fs::path& file) {
    GdiplusSession session;
    Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromFile(file.c_str(), FALSE);
    if (!bitmap) return;
    if (bitmap->GetLastStatus() == Gdiplus::Ok) {
        width_ = static_cast<int>(bitmap->GetWidth());
        height_ = static_cast<int>(bitmap->GetHeight());
        pixels_.resize(static_cast<size_t>(width_) * height_);
        Gdiplus::Rect all(0, 0, width_, height_);
        Gdiplus::BitmapData data = {};
        if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
            for (int y = 0; y < height_; ++y) {
                const auto* row = reinterpret_cast<const unsigned*>(static_cast<const BYTE*>(data.Scan0) +
                                                                    static_cast<ptrdiff_t>(y) * data.Stride);
                std::copy(row, row + width_, pixels_.begin() + static_cast<ptrdiff_t>(y) * width_);
            }
            bitmap->UnlockBits(&data);
        }
    }
    delete bitmap;
}

unsigned PngImage::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

std::string HexColour(unsigned argb) {
    char text[16];
    snprintf(text, sizeof(text), "%08X", argb);
    return text;
}

}  // namespace bb
