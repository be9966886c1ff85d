// The demo installation's game 1: a plain window that shows what the Launcher handed over
// (command line, the eight game variables, the settings.ini keys the Launcher writes), so a
// person trying the Launcher can see every setting arrive. Closing it ends with exit code 0.
#include <windows.h>

#include <exception>
#include <string>

namespace {
constexpr wchar_t kClassName[] = L"TlvrDemoGame";
constexpr wchar_t kTitle[] = L"Talvaro Ovra demo game";
constexpr COLORREF kBackground = RGB(24, 28, 30);
constexpr COLORREF kText = RGB(236, 234, 226);

const wchar_t* const kGameVariables[] = {
    L"TLVR_ASPECT",        L"TLVR_ORIGINAL",   L"QUENDAL_SCREEN",   L"RR_CONTROLS_PROFILE",
    L"TLVR_CONTROLS_FILE", L"RR_OUTPUT_WIDTH", L"RR_OUTPUT_HEIGHT", L"RR_SHADER_PATH",
};

std::wstring g_report;  // built once at start; painted on every WM_PAINT

std::wstring VariableLine(const wchar_t* name) {
    wchar_t buffer[4096];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
    if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::wstring(name) + L" (not set)";
    return std::wstring(name) + L" = " + std::wstring(buffer, length < 4096 ? length : 0);
}

std::wstring IniLine(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[256] = {};
    GetPrivateProfileStringW(section, key, L"(not set)", buffer, 256, file.c_str());
    return std::wstring(L"[") + section + L"] " + key + L" = " + buffer;
}

std::wstring BuildReport() {
    std::wstring report = L"This window stands in for a game. It received:\r\n\r\nCommand line:\r\n";
    report += GetCommandLineW();
    report += L"\r\n\r\nEnvironment:\r\n";
    for (const wchar_t* name : kGameVariables) report += VariableLine(name) + L"\r\n";

    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring settings = std::wstring(folder) + L"\\settings.ini";
    report += L"\r\nsettings.ini in " + std::wstring(folder) + L":\r\n";
    report += IniLine(settings, L"video", L"fullscreen") + L"\r\n";
    report += IniLine(settings, L"video", L"linear_filter") + L"\r\n";
    report += IniLine(settings, L"rewind", L"enabled") + L"\r\n";
    report += L"\r\nClose this window to return to the launcher.";
    return report;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(hdc, &client, background);
    DeleteObject(background);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, kText);
    HGDIOBJ oldFont = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    RECT text = {client.left + 16, client.top + 16, client.right - 16, client.bottom - 16};
    DrawTextW(hdc, g_report.c_str(), static_cast<int>(g_report.size()), &text,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(hdc, oldFont);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK DemoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// The Launcher sends standard output to the game's log: say hello there too.
void LogStart() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    const char line[] = "demo game: started\n";
    DWORD written = 0;
    WriteFile(out, line, sizeof(line) - 1, &written, nullptr);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    LogStart();
    try {
        g_report = BuildReport();
    } catch (const std::exception&) {
        g_report = L"(the settings could not be read)";
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DemoWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    HWND window = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  760, 520, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
