#pragma once
// Black-box harness: lays out installation folders, starts the real launcher, and drives its
// windows the way a person would (finds them, reads their texts, presses buttons and keys).
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace bb {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Folder of the running test program: the build's bin folder.
fs::path BinFolder();
// The build's demo installation (artwork and fonts are taken from there).
fs::path DemoFolder();

// A temporary installation root with the launcher, its artwork and fonts.
class Installation {
public:
    struct Options {
        bool launcher = true;
        bool artwork = true;
        bool fonts = true;
        std::wstring subfolder;  // put the launcher this deep below the root
        fs::path base;           // folder the root is made in; empty: the temporary directory
    };
    Installation();
    explicit Installation(const Options& options);
    const fs::path& root() const { return folder_.path(); }
    fs::path launcher() const { return launcherPath_; }
    fs::path local() const { return root() / L".local"; }
    // Installs one of our stand-in games as game n (1 or 2) with a ROM input.
    void InstallStandInGame(int number, const fs::path& program = BinFolder() / L"tlvr_standin_game.exe");

private:
    TempFolder folder_;
    fs::path launcherPath_;
};

struct Window {
    HWND hwnd = nullptr;
    std::wstring className;
    std::wstring title;
};

class Process {
public:
    Process() = default;
    ~Process();  // ends the process if it still runs
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts `program` with `arguments` (already quoted) in `workingFolder`. Variables in `env`
    // are set for the child only (an empty value removes the variable).
    static Process Start(const fs::path& program, const std::wstring& arguments,
                         const fs::path& workingFolder,
                         const std::map<std::wstring, std::wstring>& env = {});

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }
    // The exit code, or nothing when the process still runs after `timeout`.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout);
    bool Running() const;
    void Kill();

    // Visible or hidden top-level windows of this process.
    std::vector<Window> TopLevelWindows() const;
    std::optional<Window> FindWindowOfClass(const std::wstring& className,
                                            std::chrono::milliseconds timeout) const;

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// A message box or task dialog shown by a process: class "#32770".
struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;     // a message box's text; a task dialog's content
    std::wstring details;  // a task dialog's further texts (its expandable part), one a line
    std::vector<std::wstring> buttons;
};
std::optional<MessageBoxInfo> WaitForMessageBox(const Process& process, std::chrono::milliseconds timeout);
// Presses the box's OK (else its first push button) as a click would.
void PressMessageBoxButton(const MessageBoxInfo& box);
// Presses the button with this text; false when the box has none.
bool PressDialogButton(const MessageBoxInfo& box, const std::wstring& text);

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
RECT WindowRect(HWND hwnd);
RECT ClientRect(HWND hwnd);
HWND ChildWithId(HWND parent, int id);
// The focused window of the thread that owns `hwnd`.
HWND FocusedWindowOf(HWND hwnd);
// Posts a key press (down and up) to a window, as the keyboard would deliver it.
void PressKey(HWND target, UINT virtualKey);
// Clicks a button (BM_CLICK) from outside its process.
void ClickButton(HWND button);

// Polls `condition` every 50 ms until it holds or `timeout` passes.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Command-line quoting for paths (no trailing backslash issues for our uses).
std::wstring Quote(const fs::path& path);

// Pixels of a PNG file, read through GDI+.
class PngImage {
public:
    explicit PngImage(const fs::path& file);
    bool loaded() const { return width_ > 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    // 0xAARRGGBB
    unsigned Pixel(int x, int y) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<unsigned> pixels_;
};

std::string HexColour(unsigned argb);

}  // namespace bb
