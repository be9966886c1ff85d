#pragma once
// MSAA objects for controls that the system's proxies cannot describe: painted cards and buttons,
// and buttons whose text alone does not say what they do. Screen readers reach them through
// WM_GETOBJECT; what a control does not override is answered by the system's own proxy.
#include <windows.h>
#include <oleacc.h>

#include <string>

// MinGW-w64's oleacc library carries a wrong value for IID_IAccessible.
inline constexpr IID kAccessibleInterfaceId = {
    0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// What a control says about itself, asked afresh at each question.
struct AccessibleFacts {
    long role = ROLE_SYSTEM_PUSHBUTTON;
    std::wstring name;
    std::wstring description;
    std::wstring value;
    std::wstring defaultAction;
    long state = 0;  // added to what the window shows: focusable, focused, unavailable, invisible
};
using AccessibleFactsSource = void (*)(HWND control, AccessibleFacts* facts);

// Subclasses the control so that WM_GETOBJECT for its client area answers with an object that
// asks `source`. The subclass goes with the window.
bool GiveAccessibleFacts(HWND control, AccessibleFactsSource source);
// The answer to WM_GETOBJECT for a window procedure that handles it itself; 0 when the request
// is not for the client area (DefWindowProc then answers).
LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, AccessibleFactsSource source);

// The state bits a window shows by itself.
long WindowAccessibleState(HWND control);

// Raises `event` (EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_VALUECHANGE, ...) on the control's client.
void NotifyAccessibleChange(DWORD event, HWND control);
