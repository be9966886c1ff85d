#include "ui/options_window.h"

#include <exception>
#include <vector>

#include "app/launcher_state.h"
#include "play/launcher_options.h"
#include "play/launcher_settings.h"
#include "ui/command_buttons.h"
#include "ui/drawing_kit.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"
#include "ui/palette.h"
#include "texts/language_choice.h"
#include "texts/texts.h"
#include "ui/language_change.h"
#include "ui/covering_font.h"
#include "ui/language_faces.h"
#include "ui/scaled_window.h"

namespace {
constexpr float kDesignWidth = 510.0f;
// A list row takes its label and the list; a check box row one line.
constexpr int kListRowHeight = 70;
constexpr int kToggleRowHeight = 40;
constexpr int kCommandRowHeight = 48;  // a push button of the Save button's height
constexpr int kTop = 22;
constexpr int kBottom = 110;  // Save and the margin under the rows

struct OptionsWindowState {
    HWND window = nullptr;
    ScaledWindow layout;
    std::vector<HWND> rowControls;  // one per row of the table, in its order
    // The lists whose items the window font cannot draw all of, with the font that can.
    std::vector<ScopedFont> listFonts;
};
OptionsWindowState g_options;

int RowHeight(const OptionRow& row) {
    if (row.kind == OptionRow::Kind::List) return kListRowHeight;
    return row.kind == OptionRow::Kind::Command ? kCommandRowHeight : kToggleRowHeight;
}

int DesignHeight() {
    int height = kTop + kBottom;
    for (int row = 0; row < kOptionRowCount; ++row) height += RowHeight(kOptionRows[row]);
    return height;
}

HWND Child(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int x, int y, int width,
           int height, int id) {
    return AddScaledChild(g_options.layout, parent, className, text.c_str(), style, x, y, width, height, id);
}

HWND AddRow(HWND hwnd, const OptionRow& row, int y, int id) {
    if (row.kind == OptionRow::Kind::Command) {
        return Child(hwnd, L"BUTTON", Text(row.labelKey), BS_PUSHBUTTON | WS_TABSTOP, 28, y, 200, 38, id);
    }
    const int value = g_launcher.settings.*row.field;
    if (row.kind == OptionRow::Kind::Toggle) {
        HWND box = Child(hwnd, L"BUTTON", Text(row.labelKey), BS_AUTOCHECKBOX | WS_TABSTOP, 28, y, 440, 28, id);
        SendMessageW(box, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        return box;
    }
    Child(hwnd, L"STATIC", Text(row.labelKey), 0, 28, y, 420, 25, 0);
    HWND list = Child(hwnd, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP, 28, y + 28, 420, 220, id);
    for (int choice = 0; choice < row.choiceCount; ++choice) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ChoiceLabel(row.choices[choice]).c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
    return list;
}

// Languages are named in themselves: under Barlow, "Русский" takes Russian's face.
void CoverListItems() {
    g_options.listFonts.clear();
    for (int row = 0; row < kOptionRowCount && row < static_cast<int>(g_options.rowControls.size()); ++row) {
        if (kOptionRows[row].kind != OptionRow::Kind::List) continue;
        ScopedFont font = CoverComboItems(g_options.rowControls[static_cast<size_t>(row)], g_options.layout.font.get(),
                                          FacesForLanguage("ru").regular);
        if (font) g_options.listFonts.push_back(std::move(font));
    }
}

void OnCreate(HWND hwnd) {
    g_options.window = hwnd;
    ApplyWindowColours(hwnd);  // the palette of the moment: dark, or the system's in high contrast
    g_options.rowControls.clear();
    int y = kTop;
    for (int row = 0; row < kOptionRowCount; ++row) {
        g_options.rowControls.push_back(AddRow(hwnd, kOptionRows[row], y, kOptionsFirstRowId + row));
        y += RowHeight(kOptionRows[row]);
    }
    Child(hwnd, L"BUTTON", Text("options.save"), BS_DEFPUSHBUTTON | WS_TABSTOP, 332, y + 12, 132, 38, kOptionsSaveId);
    FitChildrenToTexts(g_options.layout, hwnd);
    CoverListItems();
}

bool Unattended() { return g_launcher.IsCaptureRun() || g_launcher.automation.launchRun; }

int ChosenIndex(const OptionRow& row, HWND control) {
    if (row.kind == OptionRow::Kind::Toggle) return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    return static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
}

void OnSave(HWND hwnd) {
    LauncherSettings settings = g_launcher.settings;
    for (int row = 0; row < kOptionRowCount && row < static_cast<int>(g_options.rowControls.size()); ++row) {
        if (!IsChoiceRow(kOptionRows[row])) continue;
        settings.*kOptionRows[row].field = ChosenIndex(kOptionRows[row], g_options.rowControls[static_cast<size_t>(row)]);
    }
    const bool languageChanged = settings.language != g_launcher.settings.language;
    g_launcher.settings = ClampSettings(settings);
    SaveLauncherSettings();
    if (languageChanged) {
        ApplyLanguageChoice({}, ChosenLanguage(g_launcher.settings));
        AnnounceLanguageChange();
    }
    CardStatusChanged();  // the play time shown or hidden
    CloseOwnedWindow(hwnd, Unattended());
}

// A command row's button: its command goes to the home window, which shows what it says over
// this window. The choices being edited stay as they are.
bool OnCommandRow(int id) {
    const int row = id - kOptionsFirstRowId;
    if (row < 0 || row >= kOptionRowCount || kOptionRows[row].kind != OptionRow::Kind::Command) return false;
    if (HWND home = g_launcher.homeWindow) SendMessageW(home, WM_COMMAND, MAKEWPARAM(kOptionRows[row].command, 0), 0);
    return true;
}

void OnDestroy() {
    g_options.window = nullptr;
    g_options.rowControls.clear();
    ClearScaledWindow(g_options.layout);
    g_options.listFonts.clear();
    // The home window's prompts follow the choices.
    if (HWND home = g_launcher.homeWindow) InvalidateRect(home, nullptr, FALSE);
}

LRESULT CALLBACK OptionsWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (message) {
        case WM_CREATE:
            OnCreate(hwnd);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kOptionsSaveId && HIWORD(wParam) == BN_CLICKED) {
                OnSave(hwnd);
                return 0;
            }
            if (HIWORD(wParam) == BN_CLICKED && OnCommandRow(LOWORD(wParam))) return 0;
            break;
        case WM_CLOSE:
            CloseOwnedWindow(hwnd, Unattended());  // the close box discards the edits
            return 0;
        case WM_DPICHANGED:
            RescaleForDpi(g_options.layout, hwnd, wParam, lParam);
            CoverListItems();
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return AnswerControlColours(reinterpret_cast<HDC>(wParam));
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            FollowColourChange(hwnd);
            break;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        default:
            break;
        }
    } catch (const std::exception&) {
        return 0;  // allocation only; the message is dropped
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterOnce(HINSTANCE instance) {
    WNDCLASSEXW existing = {sizeof(existing)};
    if (GetClassInfoExW(instance, kOptionsWindowClass, &existing)) return;
    WNDCLASSEXW cls = {sizeof(cls)};
    cls.lpfnWndProc = OptionsWindowProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = WindowBackgroundBrush();
    cls.lpszClassName = kOptionsWindowClass;
    RegisterClassExW(&cls);
}
}  // namespace

void OpenOptionsWindow() {
    if (RaiseOwnedWindow(g_options.window)) return;
    HWND home = g_launcher.homeWindow;
    RegisterOnce(g_launcher.instance);
    RECT homeRect = {};
    if (home) GetWindowRect(home, &homeRect);
    const MonitorArea monitor = MonitorAreaOf(home);
    const float height = static_cast<float>(DesignHeight());
    const float fit = static_cast<float>(monitor.workArea.bottom - monitor.workArea.top) / height;
    const float dpiScale = static_cast<float>(monitor.dpi) / 96.0f;
    const float scale = fit < dpiScale ? fit : dpiScale;
    StartScaledWindow(g_options.layout, scale, monitor.dpi);
    OwnedWindowRequest request;
    request.exStyle = WS_EX_DLGMODALFRAME | (g_launcher.IsCaptureRun() ? WS_EX_NOACTIVATE : 0);
    request.className = kOptionsWindowClass;
    const std::wstring title = Text("options.title");
    request.title = title.c_str();
    request.style = WS_POPUPWINDOW | WS_CAPTION | WS_VISIBLE;
    request.place = CentreOnOwner(homeRect, monitor.workArea, static_cast<int>(kDesignWidth * scale),
                                  static_cast<int>(height * scale));
    request.owner = home;
    request.instance = g_launcher.instance;
    OpenOwnedWindow(request);
}

HWND OptionsWindow() { return g_options.window; }

bool OptionsDialogFilter(MSG* message) { return g_options.window && IsDialogMessageW(g_options.window, message); }
