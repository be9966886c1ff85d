// What a screen reader gets from the Launcher, read from another process as Narrator and NVDA
// read it (MSAA through oleacc), the events it hears, and the windows in high contrast.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <functional>

#include "controls_support.h"
#include "install_support.h"
#include "play_support.h"
#include "update_support.h"

using namespace bb;

namespace {
// MinGW-w64's oleacc library has a wrong IID_IAccessible.
constexpr IID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr long kAnyRole = -1;  // a standard control: Wine's proxy answers "client" where Windows' says more

class ComForTest {
public:
    ComForTest() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComForTest() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

struct Reading {
    bool found = false;
    long role = 0;
    long state = 0;
    std::wstring name, value, description;
};

std::wstring Take(BSTR text) {
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

Reading Read(IAccessible* object, VARIANT child) {
    Reading r;
    r.found = true;
    BSTR text = nullptr;
    if (object->get_accName(child, &text) == S_OK) r.name = Take(text);
    text = nullptr;
    if (object->get_accValue(child, &text) == S_OK) r.value = Take(text);
    text = nullptr;
    if (object->get_accDescription(child, &text) == S_OK) r.description = Take(text);
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(child, &v)) && v.vt == VT_I4) r.role = v.lVal;
    VariantClear(&v);
    if (SUCCEEDED(object->get_accState(child, &v)) && v.vt == VT_I4) r.state = v.lVal;
    VariantClear(&v);
    return r;
}

Reading ReadWindow(HWND hwnd) {
    IAccessible* object = nullptr;
    if (!hwnd || FAILED(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&object))) ||
        !object) {
        return Reading{};
    }
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    Reading r = Read(object, self);
    object->Release();
    return r;
}

// The name Windows' proxies give an edit or combo box: the nearest static text before it in the
// z-order, unless a control with a tab stop or a group start comes first. Wine's combo-box proxy
// is a stub, so the rule itself is read here.
std::wstring LabelByRule(HWND control) {
    for (HWND before = GetWindow(control, GW_HWNDPREV); before; before = GetWindow(before, GW_HWNDPREV)) {
        if (!IsWindowVisible(before)) continue;
        if (_wcsicmp(ClassName(before).c_str(), L"Static") == 0) return WindowText(before);
        if (GetWindowLongW(before, GWL_STYLE) & (WS_TABSTOP | WS_GROUP)) return L"(a tab stop: " + WindowText(before) + L")";
    }
    return L"(nothing)";
}

HWND NthOfClass(HWND window, const wchar_t* className, int n) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassName(child).c_str(), className) == 0 && n-- == 0) return child;
    }
    return nullptr;
}

enum class By { Oleacc, LabelRule };
struct Expected {
    const char* what;
    std::function<HWND(HWND)> find;
    By by;
    long role;
    std::wstring name;
    long stateSet = 0;
    long stateClear = 0;
    const wchar_t* value = nullptr;        // null: not checked; L"=text": the control's own text
    const wchar_t* description = nullptr;  // the description starts with this
};

std::function<HWND(HWND)> Id(int id) {
    return [id](HWND w) { return ChildWithId(w, id); };
}
std::function<HWND(HWND)> Nth(const wchar_t* cls, int n) {
    return [cls, n](HWND w) { return NthOfClass(w, cls, n); };
}
HWND Self(HWND w) { return w; }

std::string U8(const std::wstring& w) { return Utf8(w); }

void ExpectTable(HWND window, const std::vector<Expected>& table) {
    for (const Expected& e : table) {
        SCOPED_TRACE(e.what);
        HWND control = e.find(window);
        ASSERT_NE(control, nullptr) << "no such control";
        if (e.by == By::LabelRule) {
            EXPECT_EQ(U8(LabelByRule(control)), U8(e.name)) << "label before it in the z-order";
            continue;
        }
        const Reading r = ReadWindow(control);
        ASSERT_TRUE(r.found) << "AccessibleObjectFromWindow gave no object";
        if (e.role != kAnyRole) {
            EXPECT_EQ(r.role, e.role) << "role";
        }
        EXPECT_EQ(U8(r.name), U8(e.name)) << "name";
        EXPECT_EQ(r.state & e.stateSet, e.stateSet) << "state 0x" << std::hex << r.state;
        EXPECT_EQ(r.state & e.stateClear, 0) << "state 0x" << std::hex << r.state;
        if (e.value) {
            const std::wstring value = std::wstring(e.value) == L"=text" ? WindowText(control) : e.value;
            EXPECT_FALSE(value.empty());
            EXPECT_EQ(U8(r.value), U8(value)) << "value";
        }
        if (e.description) {
            EXPECT_EQ(U8(r.description.substr(0, wcslen(e.description))), U8(e.description));
        }
    }
}

void CloseAndWait(HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 15s)) << "the window did not close";
}

constexpr long kFocusable = STATE_SYSTEM_FOCUSABLE;
constexpr long kChecked = STATE_SYSTEM_CHECKED;
}  // namespace

TEST(Accessibility, EveryWindowNamesItsControlsForAScreenReader) {
    ComForTest com;
    Installation installation;
    installation.InstallStandInGame(1);
    WriteLauncherIni(installation, "game=0\r\n");
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);

    ExpectTable(home, {
        {"first card", Id(100), By::Oleacc, ROLE_SYSTEM_RADIOBUTTON, L"Talvaro GP", kFocusable | kChecked, 0, nullptr,
         L"Ready. Havel\u2019s 1990 Formula 1 classic. Practice, race or take on the Championship, now"},
        {"second card", Id(101), By::Oleacc, ROLE_SYSTEM_RADIOBUTTON, L"Orlen Kastri\u2019s Talvaro GP II", kFocusable,
         kChecked, nullptr, L"Not installed. The 1992 sequel with the Kastri licence"},
        {"PLAY", Id(200), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Play Talvaro GP", kFocusable},
        {"Video & CRT", Id(201), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Video & CRT", kFocusable},
        {"Controls", Id(204), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Controls", kFocusable},
        {"Install games", Id(205), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Install games", kFocusable},
        {"About", Id(206), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"About", kFocusable},
        {"the painted texts", Self, By::Oleacc, ROLE_SYSTEM_CLIENT, L"Talvaro Ovra-Remix Recomp - 0.60", 0, 0, nullptr,
         L"Two Corvex classics. Your original games. Pick a car and hit the track. Arrow keys: choose"},
    });
    const Reading homeObject = ReadWindow(home);
    EXPECT_NE(homeObject.description.find(L"WHAT\u2019S NEW: Offline achievements (F6) in both games. Game Over"),
              std::wstring::npos)
        << U8(homeObject.description);

    // The default action selects the card, and PLAY says what it now does.
    {
        IAccessible* card = nullptr;
        ASSERT_HRESULT_SUCCEEDED(AccessibleObjectFromWindow(ChildWithId(home, 101), OBJID_CLIENT, kIAccessible,
                                                            reinterpret_cast<void**>(&card)));
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        EXPECT_HRESULT_SUCCEEDED(card->accDoDefaultAction(self));
        card->Release();
    }
    EXPECT_TRUE(WaitUntil([&] { return (ReadWindow(ChildWithId(home, 101)).state & kChecked) != 0; }, 5s));
    ExpectTable(home, {
        {"first card after", Id(100), By::Oleacc, ROLE_SYSTEM_RADIOBUTTON, L"Talvaro GP", kFocusable, kChecked},
        {"PLAY after", Id(200), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Install games", kFocusable},
    });
    ClickButton(ChildWithId(home, 100));

    ClickButton(ChildWithId(home, 201));
    const auto video = launcher.FindWindowOfClass(L"TLVRSettings", 10s);
    ASSERT_TRUE(video.has_value()) << "Video & CRT opened no window";
    ExpectTable(video->hwnd, {
        {"aspect list", Id(1), By::LabelRule, 0, L"Aspect ratio"},
        {"resolution list", Id(2), By::LabelRule, 0, L"Output resolution"},
        {"filter list", Id(3), By::LabelRule, 0, L"Display filter"},
        {"zoom box", Id(4), By::Oleacc, kAnyRole, L"Continuous zoom + arcade art"},
        {"full-screen box", Id(5), By::Oleacc, kAnyRole, L"Fullscreen"},
    });
    CloseAndWait(video->hwnd);

    HWND editor = OpenControlsEditorFrom(launcher, home);
    ASSERT_NE(editor, nullptr);
    ExpectTable(editor, {
        {"controller list", Id(701), By::LabelRule, 0, L"Controller"},
        {"steering list", Id(702), By::LabelRule, 0, L"Steering stick"},
        {"dead-zone list", Id(703), By::LabelRule, 0, L"Deadzone"},
        {"pulse pedals", Id(704), By::Oleacc, ROLE_SYSTEM_CHECKBUTTON,
         L"Pulse pedals: R2 accelerates, L2 brakes, right stick \u2191/\u2193 too (proportional)", kFocusable},
        {"accelerate, keyboard", Id(804), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Accelerate / button B, keyboard",
         kFocusable, 0, L"=text"},
        {"accelerate, controller", Id(824), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Accelerate / button B, controller",
         kFocusable, 0, L"=text"},
        {"clear accelerate", Id(844), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Clear Accelerate / button B", kFocusable},
        {"clear menu up", Id(840), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Clear Menu: up", kFocusable},
        {"start, keyboard", Id(809), By::Oleacc, ROLE_SYSTEM_PUSHBUTTON, L"Start / pause, keyboard", kFocusable, 0,
         L"=text"},
    });
    CloseAndWait(editor);

    const InstallerControls installer = OpenInstallerFromHome(launcher, home);
    ASSERT_NE(installer.window, nullptr);
    ExpectTable(installer.window, {
        {"first ROM folder", Id(10), By::Oleacc, ROLE_SYSTEM_TEXT, L"Talvaro GP (World) / ROM folder", kFocusable},
        {"second ROM folder", Id(11), By::Oleacc, ROLE_SYSTEM_TEXT, L"Kastri GP II (USA) / ROM folder (may be the same)",
         kFocusable},
        {"installation folder", Id(13), By::Oleacc, ROLE_SYSTEM_TEXT, L"Installation folder", kFocusable, 0, L"=text"},
        {"log box", Id(30), By::Oleacc, ROLE_SYSTEM_TEXT, L"Installation log", STATE_SYSTEM_READONLY},
    });
    CloseAndWait(installer.window);

    HWND updates = OpenUpdates(launcher, home);
    ASSERT_NE(updates, nullptr);
    ExpectTable(updates, {
        {"update log", Nth(L"Edit", 0), By::Oleacc, ROLE_SYSTEM_TEXT, L"Update log", STATE_SYSTEM_READONLY},
    });
    CloseAndWait(updates);
}

namespace {
// Events heard out of context: delivered to this thread's message queue, so waits pump it.
struct HeardEvent {
    DWORD event;
    HWND hwnd;
    LONG object;
    std::wstring name;
    std::wstring value;
};
std::vector<HeardEvent> g_heard;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    HeardEvent heard{event, hwnd, object, {}, {}};
    IAccessible* accessible = nullptr;
    VARIANT which;
    VariantInit(&which);
    if (object == OBJID_CLIENT &&
        SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &accessible, &which)) && accessible) {
        const Reading r = Read(accessible, which);
        heard.name = r.name;
        heard.value = r.value;
        accessible->Release();
    }
    VariantClear(&which);
    g_heard.push_back(heard);
}

class EventListener {
public:
    explicit EventListener(DWORD processId)
        : hook_(SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE, nullptr, OnWinEvent, processId, 0,
                                WINEVENT_OUTOFCONTEXT)) {
        g_heard.clear();
    }
    ~EventListener() {
        if (hook_) UnhookWinEvent(hook_);
    }
    bool hooked() const { return hook_ != nullptr; }
    // Pumps until an event of this kind on this window has been heard.
    const HeardEvent* WaitFor(DWORD event, HWND hwnd, std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        do {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            for (const HeardEvent& heard : g_heard) {
                if (heard.event == event && heard.hwnd == hwnd && heard.object == OBJID_CLIENT) return &heard;
            }
            Sleep(20);
        } while (std::chrono::steady_clock::now() < end);
        return nullptr;
    }
    void Forget() { g_heard.clear(); }

private:
    HWINEVENTHOOK hook_;
};
}  // namespace

TEST(Accessibility, ArrowsTabAndACaptureAreAnnouncedOnNamedObjects) {
    ComForTest com;
    Installation installation;
    installation.InstallStandInGame(1);
    WriteLauncherIni(installation, "game=0\r\n");
    Process launcher = StartLauncher(installation);
    HWND home = WaitForHome(launcher);
    ASSERT_NE(home, nullptr);
    HWND first = ChildWithId(home, 100), second = ChildWithId(home, 101);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(home) == first; }, 5s)) << "the selected card has no focus";

    EventListener listener(launcher.id());
    ASSERT_TRUE(listener.hooked());
    PressKey(first, VK_RIGHT);
    const HeardEvent* focus = listener.WaitFor(EVENT_OBJECT_FOCUS, second, 10s);
    ASSERT_NE(focus, nullptr) << "no focus event on the second card after the right arrow";
    EXPECT_EQ(U8(focus->name), U8(L"Orlen Kastri\u2019s Talvaro GP II"));
    EXPECT_NE(listener.WaitFor(EVENT_OBJECT_STATECHANGE, first, 5s), nullptr) << "the first card's state change";
    EXPECT_NE(listener.WaitFor(EVENT_OBJECT_STATECHANGE, second, 5s), nullptr) << "the second card's state change";

    listener.Forget();
    PressKey(second, VK_TAB);
    HWND play = ChildWithId(home, 200);
    focus = listener.WaitFor(EVENT_OBJECT_FOCUS, play, 10s);
    ASSERT_NE(focus, nullptr) << "Tab from the second card did not reach PLAY";
    EXPECT_EQ(U8(focus->name), "Install games");

    HWND editor = OpenControlsEditorFrom(launcher, home);
    ASSERT_NE(editor, nullptr);
    HWND keyButton = ChildWithId(editor, 804), controllerButton = ChildWithId(editor, 824);
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindowOf(editor) == keyButton; }, 5s));
    listener.Forget();
    PressKey(keyButton, VK_TAB);
    focus = listener.WaitFor(EVENT_OBJECT_FOCUS, controllerButton, 10s);
    ASSERT_NE(focus, nullptr) << "Tab in the editor raised no focus event";
    EXPECT_EQ(U8(focus->name), "Accelerate / button B, controller");

    listener.Forget();
    ClickButton(keyButton);
    const HeardEvent* change = listener.WaitFor(EVENT_OBJECT_VALUECHANGE, keyButton, 10s);
    ASSERT_NE(change, nullptr) << "the capture raised no value change";
    EXPECT_EQ(U8(change->name), "Accelerate / button B, keyboard");
    EXPECT_EQ(U8(change->value), U8(L"Press a key\u2026"));
    PressKey(keyButton, VK_ESCAPE);
}

namespace {
unsigned Argb(COLORREF c) { return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
}  // namespace

// Wine cannot switch high contrast on; the variable makes the Launcher take it as on.
TEST(Accessibility, HighContrastPaintsEveryWindowInTheSystemsColours) {
    // Every colour of the dark palette, text and backgrounds alike.
    const unsigned dark[] = {0xFF101315, 0xFF171A1C, 0xFF1A1D1F, 0xFF222627, 0xFF212527, 0xFF313535, 0xFF3E4241,
                             0xFF484D4C, 0xFFA8ABA5, 0xFFF4F0E2, 0xFFA6A9A3, 0xFFE8EAE9, 0xFFFF4B36, 0xFFD6331E};
    const unsigned window = Argb(GetSysColor(COLOR_WINDOW));
    const unsigned text = Argb(GetSysColor(COLOR_WINDOWTEXT));
    struct Page {
        const wchar_t* page;  // empty: the home window
        bool paintsText;      // the capture shows the window's own painting (Wine leaves child windows out)
    };
    const Page pages[] = {{L"", true}, {L"video", false}, {L"controls", false}, {L"install", false}, {L"updates", false},
                          {L"options", false}};
    Installation installation;
    for (const Page& page : pages) {
        SCOPED_TRACE(*page.page ? U8(page.page) : std::string("home"));
        const fs::path picture = installation.root() / (std::wstring(L"hc-") + page.page + L".png");
        std::wstring arguments = L"--qa-capture " + Quote(picture);
        if (*page.page) arguments += std::wstring(L" --qa-page ") + page.page;
        Process launcher = StartLauncher(installation, arguments, {{L"TLVR_QA_HIGH_CONTRAST", L"1"}});
        ASSERT_EQ(launcher.WaitForExit(kLaunchTimeout), std::optional<DWORD>(0));
        const PngImage image(picture);
        ASSERT_TRUE(image.loaded());
        long windowPixels = 0, textPixels = 0, darkPixels = 0;
        unsigned firstDark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const unsigned pixel = image.Pixel(x, y);
                if (pixel == window) ++windowPixels;
                if (pixel == text) ++textPixels;
                for (unsigned d : dark) {
                    if (pixel == d && !darkPixels++) firstDark = d;
                }
            }
        }
        const long all = static_cast<long>(image.width()) * image.height();
        EXPECT_GT(windowPixels * 2, all) << "less than half the picture has the system's window colour "
                                         << HexColour(window);
        if (page.paintsText) {
            EXPECT_GT(textPixels, 500) << "hardly any text in " << HexColour(text);
        }
        EXPECT_EQ(darkPixels, 0) << "pixels of the dark palette, the first " << HexColour(firstDark);
    }
}
