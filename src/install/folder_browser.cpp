#include "install/folder_browser.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "app/window_size.h"
#include "controls/last_input.h"
#include "controls/pad_translation.h"
#include "app/launcher_state.h"
#include "install/folder_browsing.h"
#include "ui/dark_title_bar.h"
#include "texts/texts.h"
#include "ui/drawing_kit.h"
#include "ui/language_change.h"
#include "ui/monitor_area.h"
#include "ui/owned_window.h"
#include "ui/palette.h"
#include "ui/prompt_glyphs.h"

namespace fs = std::filesystem;
using namespace Gdiplus;

namespace {
// Design units at 96 DPI.
constexpr float kDesignWidth = 660.0f;
constexpr float kDesignHeight = 540.0f;
constexpr float kMargin = 22.0f;
constexpr float kHeaderHeight = 52.0f;
constexpr float kRowHeight = 34.0f;
constexpr float kHintHeight = 52.0f;
constexpr float kTextSize = 14.0f;
constexpr float kCountColumn = 480.0f;
// Directory entries looked at to count ROM files, per listing: a huge folder lists at once and
// leaves the rest of its rows uncounted.
constexpr int kCountBudget = 4000;

struct HintSpot {
    RectF box;  // client pixels
    BrowserKey key;
};

struct BrowserRecord {
    HWND window = nullptr;
    FolderBrowserRequest request;
    HWND returnFocus = nullptr;  // the owner's control that had the focus
    float scale = 1.0f;
    FolderView view;
    int first = 0;  // the first row on screen
    std::vector<HintSpot> hintSpots;
};
BrowserRecord g_browser;

int VisibleRows() {
    RECT client = {};
    GetClientRect(g_browser.window, &client);
    const float rows = (static_cast<float>(client.bottom) / g_browser.scale - kHeaderHeight - kHintHeight) / kRowHeight;
    return std::max(1, static_cast<int>(rows));
}

std::wstring DriveLabel(const std::wstring& root) {
    wchar_t name[MAX_PATH + 1] = {};
    const std::wstring letter = root.substr(0, 2);
    // An empty card reader answers no volume: the bare letter then.
    if (!GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) || !name[0]) {
        return letter;
    }
    return std::wstring(name) + L" (" + letter + L")";
}

std::vector<FolderRow> TopList() {
    int budget = kCountBudget;
    std::vector<FolderRow> suggested, drives, places;
    for (const RomFolder& found : g_browser.request.suggested) {
        FolderRow row;
        row.kind = FolderRow::Kind::Suggested;
        row.path = found.folder;
        row.label = found.folder.wstring();
        row.romFiles = found.romFiles;
        suggested.push_back(row);
    }
    // No message box for a drive without a disc or card: its row is simply greyed.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const DWORD letters = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(letters & (1u << letter))) continue;
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":\\";
        if (GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR) continue;
        FolderRow row;
        row.kind = FolderRow::Kind::Drive;
        row.path = root;
        row.label = DriveLabel(root);
        row.romFiles = CountRomFiles(row.path, budget, row.readable);
        drives.push_back(row);
    }
    SetErrorMode(oldMode);
    std::vector<fs::path> placeFolders = ProfilePlaces();
    for (fs::path& deck : SteamDeckPlaces()) placeFolders.push_back(std::move(deck));
    for (const fs::path& folder : placeFolders) {
        FolderRow row;
        row.kind = FolderRow::Kind::Place;
        row.path = folder;
        row.label = folder.wstring();
        row.romFiles = CountRomFiles(row.path, budget, row.readable);
        places.push_back(row);
    }
    return TopRows(suggested, drives, places);
}

// The title in the current language; the rows, heading and hint are painted from the table.
void ApplyBrowserTexts() {
    const std::wstring title = Text(g_browser.request.titleKey);
    const fs::path& folder = g_browser.view.shown;
    SetWindowTextW(g_browser.window, folder.empty() ? title.c_str()
                                                    : FormatText("browser.title.folder", {{"title", title},
                                                                                          {"folder", folder.wstring()}})
                                                          .c_str());
}

void Show(const fs::path& folder) {
    const fs::path cameFrom = g_browser.view.shown;
    bool readable = true;
    g_browser.view.rows = folder.empty() ? TopList() : ListFolder(folder, kCountBudget, readable);
    g_browser.view.shown = folder;
    g_browser.view.highlighted = HighlightAfterShow(g_browser.view.rows, cameFrom);
    g_browser.first = 0;
    g_browser.first = FirstVisibleRow(g_browser.view.highlighted, 0, VisibleRows(),
                                      static_cast<int>(g_browser.view.rows.size()));
    ApplyBrowserTexts();
}

void Close(const fs::path* chosen) {
    auto callback = std::move(g_browser.request.chosen);
    HWND focus = g_browser.returnFocus;
    CloseOwnedWindow(g_browser.window, g_browser.request.unattended);
    if (focus && IsWindow(focus)) SetFocus(focus);
    if (chosen && callback) callback(*chosen);
}

void Act(BrowserKey key) {
    const BrowserStep step = StepBrowser(g_browser.view, key, VisibleRows());
    switch (step.kind) {
    case BrowserStep::Kind::Stay:
        g_browser.view.highlighted = step.highlighted;
        g_browser.first = FirstVisibleRow(step.highlighted, g_browser.first, VisibleRows(),
                                          static_cast<int>(g_browser.view.rows.size()));
        break;
    case BrowserStep::Kind::Show:
        Show(step.folder);
        break;
    case BrowserStep::Kind::Close:
        Close(nullptr);
        return;
    case BrowserStep::Kind::Choose: {
        const fs::path folder = step.folder;
        Close(&folder);
        return;
    }
    }
    InvalidateRect(g_browser.window, nullptr, FALSE);
}

bool OnKey(WPARAM key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_UP: Act(BrowserKey::Up); return true;
    case VK_DOWN: Act(BrowserKey::Down); return true;
    case VK_PRIOR:
    case VK_LEFT: Act(BrowserKey::PageUp); return true;
    case VK_NEXT:
    case VK_RIGHT: Act(BrowserKey::PageDown); return true;
    case VK_RETURN: Act(control ? BrowserKey::ChooseShown : BrowserKey::Open); return true;
    case VK_BACK: Act(BrowserKey::Back); return true;
    case VK_SPACE: Act(BrowserKey::ChooseHighlighted); return true;
    case kChooseShownKey: Act(BrowserKey::ChooseShown); return true;
    case VK_ESCAPE: Close(nullptr); return true;
    default: return false;
    }
}

int RowAt(int y) {
    const float design = static_cast<float>(y) / g_browser.scale - kHeaderHeight;
    if (design < 0) return -1;
    const int row = g_browser.first + static_cast<int>(design / kRowHeight);
    if (row >= g_browser.first + VisibleRows() || row >= static_cast<int>(g_browser.view.rows.size())) return -1;
    return row;
}

void OnClick(int x, int y, bool twice) {
    for (const HintSpot& spot : g_browser.hintSpots) {
        if (spot.box.Contains(static_cast<REAL>(x), static_cast<REAL>(y))) {
            Act(spot.key);
            return;
        }
    }
    const int row = RowAt(y);
    if (row < 0) return;
    g_browser.view.highlighted = row;
    InvalidateRect(g_browser.window, nullptr, FALSE);
    if (twice) Act(BrowserKey::Open);
}

void PaintRows(Graphics& graphics, const Palette& palette, float width) {
    const auto& rows = g_browser.view.rows;
    const int visible = VisibleRows();
    for (int i = g_browser.first; i < static_cast<int>(rows.size()) && i < g_browser.first + visible; ++i) {
        const FolderRow& row = rows[static_cast<size_t>(i)];
        const float top = kHeaderHeight + kRowHeight * static_cast<float>(i - g_browser.first);
        const bool lit = i == g_browser.view.highlighted;
        if (lit) {
            SolidBrush panel{Color(palette.selectedPanel)};
            graphics.FillRectangle(&panel, kMargin - 8, top, width - 2 * kMargin + 16, kRowHeight - 2);
            SolidBrush mark{Color(palette.selectedMark)};
            graphics.FillRectangle(&mark, kMargin - 8, top, 4.0f, kRowHeight - 2);
        }
        const ARGB ink = !row.readable ? palette.disabledText : lit ? palette.selectedText : palette.text;
        DrawLabelText(graphics, row.label.c_str(), RectF(kMargin + 4, top + 6, kCountColumn - kMargin - 12, kRowHeight),
                      kTextSize, ink, row.kind == FolderRow::Kind::Suggested);
        const std::wstring count = row.readable ? RomCountText(row.romFiles) : Text("browser.cannot_read");
        if (!count.empty()) {
            DrawLabelText(graphics, count.c_str(), RectF(kCountColumn, top + 6, width - kCountColumn - kMargin, kRowHeight),
                          kTextSize, row.readable ? palette.muted : palette.disabledText, false);
        }
    }
}

// Each part of the hint is as wide as it needs; a click on one does what its button does.
void PaintHint(Graphics& graphics, const Palette& palette, float height) {
    static constexpr BrowserKey kKeys[] = {BrowserKey::Open, BrowserKey::Back, BrowserKey::ChooseHighlighted,
                                           BrowserKey::ChooseShown};
    const PromptStyle style = CurrentPromptStyle();
    const std::vector<HintPart> parts = FolderBrowserHint(style, g_launcher.settings.swapConfirmBack != 0);
    g_browser.hintSpots.clear();
    const float y = height - kHintHeight + 14;
    const float glyph = kTextSize * 1.3f + 6;
    float x = kMargin;
    for (size_t i = 0; i < parts.size() && i < std::size(kKeys); ++i) {
        const HintPart& part = parts[i];
        const bool keyName = part.glyph.kind == PromptGlyph::Kind::KeyName;
        const std::wstring text = keyName ? std::wstring(part.glyph.keyName) + L": " + part.action : part.action;
        const float width = (keyName ? 0 : glyph) + LabelTextWidth(graphics, text.c_str(), kTextSize, false) + 8;
        DrawHint(graphics, {part}, style, x, y, kTextSize, palette.muted, width + 4);
        const float s = g_browser.scale;
        g_browser.hintSpots.push_back({RectF(x * s, (y - 6) * s, width * s, kHintHeight * s), kKeys[i]});
        x += width + 26;
    }
}

void Paint(HWND hwnd, HDC target) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    Bitmap buffer(client.right, client.bottom, PixelFormat32bppPARGB);
    Graphics graphics(&buffer);
    graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
    const Palette& palette = CurrentPalette();
    graphics.Clear(Color(palette.canvas));
    graphics.ScaleTransform(g_browser.scale, g_browser.scale);
    const float width = static_cast<float>(client.right) / g_browser.scale;
    const float height = static_cast<float>(client.bottom) / g_browser.scale;
    const std::wstring heading = g_browser.view.shown.empty() ? Text("browser.heading.top") : g_browser.view.shown.wstring();
    DrawLabelText(graphics, heading.c_str(), RectF(kMargin, 14, width - 2 * kMargin, 28), kTextSize + 2, palette.accent,
                  true);
    PaintRows(graphics, palette, width);
    SolidBrush line{Color(palette.divider)};
    graphics.FillRectangle(&line, kMargin, height - kHintHeight, width - 2 * kMargin, 1.0f);
    PaintHint(graphics, palette, height);
    Graphics screen(target);
    screen.DrawImage(&buffer, 0, 0);
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    Paint(hwnd, dc);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK FolderBrowserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        switch (message) {
        case WM_CREATE:
            g_browser.window = hwnd;
            ApplyWindowColours(hwnd);
            Show({});
            return 0;
        case WM_PAINT:
            OnPaint(hwnd);
            return 0;
        case WM_PRINTCLIENT:
            Paint(hwnd, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_KEYDOWN:
            if (OnKey(wParam)) return 0;
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_MOUSEWHEEL:
            Act(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? BrowserKey::Up : BrowserKey::Down);
            return 0;
        case WM_SIZE:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_CLOSE:
            Close(nullptr);
            return 0;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            FollowColourChange(hwnd);
            break;
        case kLanguageChangedMessage:
            ApplyBrowserTexts();
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_DESTROY:
            g_browser.window = nullptr;
            g_browser.view = FolderView{};
            g_browser.hintSpots.clear();
            return 0;
        default:
            break;
        }
    } catch (const std::exception&) {
        return 0;  // a folder listing that ran out of memory: the message is dropped
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterOnce(HINSTANCE instance) {
    WNDCLASSEXW existing = {sizeof(existing)};
    if (GetClassInfoExW(instance, kFolderBrowserClass, &existing)) return;
    WNDCLASSEXW cls = {sizeof(cls)};
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = FolderBrowserProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = kFolderBrowserClass;
    RegisterClassExW(&cls);
}
}  // namespace

void OpenFolderBrowser(FolderBrowserRequest request) {
    if (RaiseOwnedWindow(g_browser.window)) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterOnce(instance);
    const MonitorArea monitor = MonitorAreaOf(request.owner);
    const float fit = static_cast<float>(monitor.workArea.bottom - monitor.workArea.top) / kDesignHeight;
    const float dpiScale = static_cast<float>(monitor.dpi) / 96.0f;
    g_browser.scale = std::min(fit, dpiScale);
    g_browser.returnFocus = GetFocus();
    RECT ownerRect = {};
    if (request.owner) GetWindowRect(request.owner, &ownerRect);
    const std::wstring title = Text(request.titleKey ? request.titleKey : "");
    g_browser.request = std::move(request);
    OwnedWindowRequest owned;
    owned.exStyle = WS_EX_DLGMODALFRAME | (g_browser.request.unattended ? WS_EX_NOACTIVATE : 0);
    owned.className = kFolderBrowserClass;
    owned.title = title.c_str();
    owned.style = WS_POPUPWINDOW | WS_CAPTION | WS_VISIBLE;
    owned.place = CentreOnOwner(ownerRect, monitor.workArea, static_cast<int>(kDesignWidth * g_browser.scale),
                               static_cast<int>(kDesignHeight * g_browser.scale));
    owned.owner = g_browser.request.owner;
    owned.instance = instance;
    if (!OpenOwnedWindow(owned)) g_browser.request = FolderBrowserRequest{};
}

HWND FolderBrowserWindow() { return g_browser.window; }
