#pragma once
// The pad as another keyboard: what a game controller's presses mean to the Launcher's windows.
// Pure functions over values, so the timing and the meanings are tested without SDL or windows.
#include <windows.h>

#include <array>
#include <vector>

// The inputs that navigate. Directions come from the d-pad and the left stick; West and North
// are SDL's `x` and `y`, which only the folder browser gives a meaning.
enum class PadInput { Up, Down, Left, Right, Accept, Back, Start, West, North, Count };
inline constexpr int kPadInputCount = static_cast<int>(PadInput::Count);

// Which kind of Launcher window the pad is talking to.
enum class PadTarget {
    None,               // no window of the Launcher in the foreground, or a game runs
    Home,               // the home window
    Secondary,          // video, controls editor, installer, updates, update-apply
    FolderBrowser,      // the installer's folder browser: a list driven by its own keys
    MessageBox,         // a dialog box of the system (message boxes, the folder picker)
    KeyCapture,         // the controls editor waits for a keyboard key
    ControllerCapture,  // the controls editor records a controller input: the pad is the capture's
};

// One controller's state in one poll.
struct PadReading {
    bool up = false, down = false, left = false, right = false;  // d-pad
    bool a = false, b = false, start = false;
    bool x = false, y = false;
    int leftX = 0, leftY = 0;  // SDL's range -32768..32767, y grows downwards
};

// A held direction repeats after this long, then at this pace.
inline constexpr ULONGLONG kPadRepeatDelayMs = 400;
inline constexpr ULONGLONG kPadRepeatIntervalMs = 100;
// The stick engages past half of its travel and lets go below a third.
inline constexpr int kStickEngage = 16384;
inline constexpr int kStickRelease = 10923;
inline constexpr int kMaxPads = 2;

struct PadState {
    // Set when controllers are (re)opened: what is held at the first poll is ignored until let go,
    // so a button still down from a game or from another window never fires here.
    bool fresh = true;
    // Stick directions engaged, per controller: Up, Down, Left, Right.
    std::array<std::array<bool, 4>, kMaxPads> stick{};
    struct Held {
        bool down = false;
        bool ignored = false;  // held since before the pad could act
        PadTarget pressedIn = PadTarget::None;
        ULONGLONG nextRepeat = 0;
    };
    std::array<Held, kPadInputCount> held{};
};

// One poll: the readings of every open controller (an input held on two controllers counts once)
// and the window that has the foreground. Returns the inputs that act now, in PadInput order.
// A direction acts when pressed and then repeats; in the home window `a` and `start` act when let
// go, never while held (they start a game); everything else acts when pressed.
std::vector<PadInput> StepPad(PadState& state, const std::vector<PadReading>& readings, PadTarget target,
                              ULONGLONG now);

// The kind of control that has the focus, as far as the pad cares.
enum class FocusKind { Other, Button, CheckBox, ComboBox };
FocusKind FocusKindOf(const wchar_t* className, LONG style);

// What an input does: a key press delivered to the focused control, a move along the tab order,
// PLAY, or what the close box of the window in front does.
struct PadStroke {
    enum Kind { Nothing, Key, TabForward, TabBackward, Play, Close } kind = Nothing;
    UINT virtualKey = 0;
    bool operator==(const PadStroke& other) const {
        return kind == other.kind && virtualKey == other.virtualKey;
    }
};
PadStroke StrokeFor(PadInput input, PadTarget target, FocusKind focus);

// The key the folder browser reads as "choose the folder being shown" when the pad's north
// button sends it (the keyboard's is Ctrl+Enter).
inline constexpr UINT kChooseShownKey = VK_SELECT;
