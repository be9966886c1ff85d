// "Save a report" from a window: the report is written on a worker thread while the GUI thread
// keeps answering, under a small note that says what is happening.
#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <thread>

#include "app/installation_root.h"
#include "app/launcher_state.h"
#include "report/problem_report.h"
#include "app/win_owners.h"
#include "play/launcher_settings.h"
#include "texts/texts.h"
#include "ui/drawing_kit.h"
#include "ui/task_dialog.h"

namespace {
constexpr int kNoteWidth = 320;
constexpr int kNoteHeight = 72;

std::atomic<ReportFolderOpener> g_opener{nullptr};
bool g_saving = false;  // GUI thread only

bool OpenFolderWithFileSelected(const std::wstring& zipPath) {
    // COM is up on the GUI thread in every run; initialising again only counts up.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    PIDLIST_ABSOLUTE item = nullptr;
    bool opened = false;
    if (SUCCEEDED(SHParseDisplayName(zipPath.c_str(), nullptr, &item, 0, nullptr)) && item) {
        opened = SUCCEEDED(SHOpenFolderAndSelectItems(item, 0, nullptr, 0));
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return opened;
}

// A borderless note centred on the owner; a STATIC control needs no class of its own.
HWND ShowSavingNote(HWND owner) {
    RECT area = {};
    GetWindowRect(owner, &area);
    const float scale = g_launcher.dpiScale > 0 ? g_launcher.dpiScale : 1.0f;
    const int width = static_cast<int>(kNoteWidth * scale);
    const int height = static_cast<int>(kNoteHeight * scale);
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    HWND note = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME, L"STATIC", Text("report.saving").c_str(),
                                WS_POPUP | WS_BORDER | SS_CENTER | SS_CENTERIMAGE, x, y, width, height, owner,
                                nullptr, g_launcher.instance, nullptr);
    if (!note) return nullptr;
    if (HFONT font = UiFont()) SendMessageW(note, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowWindow(note, SW_SHOWNOACTIVATE);
    UpdateWindow(note);
    return note;
}

// Dispatches messages until `done` is signalled. A quit request met here is handed back to the
// loop that owns it.
void PumpUntil(HANDLE done) {
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        const DWORD wait = MsgWaitForMultipleObjectsEx(1, &done, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (wait == WAIT_OBJECT_0) break;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (wait == WAIT_FAILED) break;
    }
    if (quit) PostQuitMessage(quitCode);
}
}  // namespace

void SetReportFolderOpenerForTesting(ReportFolderOpener opener) { g_opener.store(opener); }

void SaveProblemReportFromWindow(HWND owner) {
    if (g_saving) return;
    struct SavingFlag {
        SavingFlag() { g_saving = true; }
        ~SavingFlag() { g_saving = false; }
    } saving;
    // SDL's controller list is read here, on the GUI thread; the worker reads only files.
    const ProblemReportSource source = CurrentProblemReportSource();
    std::wstring zipPath;
    std::wstring error;
    bool written = false;

    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread worker;
    if (done) {
        try {
            worker = std::thread([&source, &zipPath, &error, &written, event = done.get()] {
                written = WriteProblemReport(source, &zipPath, &error);
                SetEvent(event);
            });
        } catch (const std::exception&) {
            // No thread to be had: write it here, with the window still for a moment.
        }
    }
    if (worker.joinable()) {
        const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
        if (ownerWasEnabled) EnableWindow(owner, FALSE);
        HWND note = owner ? ShowSavingNote(owner) : nullptr;
        PumpUntil(done.get());
        worker.join();
        // The owner first: destroyed first, the note would hand the activation to another program.
        if (ownerWasEnabled) EnableWindow(owner, TRUE);
        if (note) DestroyWindow(note);
    } else {
        written = WriteProblemReport(source, &zipPath, &error);
    }

    if (written) {
        const ReportFolderOpener opener = g_opener.load();
        const bool opened = opener ? opener(zipPath) : OpenFolderWithFileSelected(zipPath);
        // Without its folder on screen the player would not know where the report went.
        if (!opened) {
            ShowMessageBox(owner, FormatText("report.saved_folder_failed.body", {{"path", zipPath}}),
                           Text("report.failed.title"), MB_ICONWARNING);
        }
    } else {
        ShowMessageBox(owner, FormatText("report.failed.body", {{"reason", error}}), Text("report.failed.title"),
                       MB_ICONERROR);
    }
}

bool RunReportMode(const std::filesystem::path& root) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ProblemReportSource source;
    source.root = root;
    source.launcherFolder = LauncherFolder();
    source.settings = LoadLauncherSettings(root / L".local" / L"launcher.ini", false, LauncherSettings{});
    source.redaction = CurrentRedactionTerms();
    std::wstring zipPath;
    std::wstring error;
    const bool written = WriteProblemReport(source, &zipPath, &error);
    if (written) {
        ShowMessageBox(nullptr, FormatText("report.saved.body", {{"path", zipPath}}), kProductName, MB_ICONINFORMATION);
    } else {
        ShowMessageBox(nullptr, FormatText("report.failed.body", {{"reason", error}}), kProductName, MB_ICONERROR);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return written;
}
