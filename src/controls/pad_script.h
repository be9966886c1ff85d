#pragma once
// The scripted pad of "--qa-pad FILE": two SDL virtual game controllers played line by line, so
// the whole road from SDL to the windows runs in the package's checks.
//   wait MS                      pause
//   press INPUT...               press (several inputs on one line change in the same instant)
//   release INPUT...             let go
//   tap INPUT...                 press, 100 ms, release
//   axis AXIS VALUE              move an axis (-32768..32767)
//   family [N:]NAME              the controller presents itself with the USB ids of a pad of
//                                that family (xbox, playstation, nintendo, other) when it is
//                                attached, wherever the line stands
// INPUT is [N:]NAME, N = 1 or 2 (1 when left out), NAME an SDL game-controller button name;
// AXIS is [N:]leftx, lefty, rightx, righty, lefttrigger or righttrigger. Blank lines and lines
// starting with '#' are skipped.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "controls/pad_prompts.h"

inline constexpr UINT_PTR kPadScriptTimerId = 2;
inline constexpr DWORD kExitPadScriptInvalid = 7;

struct PadScriptStep {
    enum Kind { Wait, Press, Release, Axis } kind = Wait;
    int milliseconds = 0;  // Wait
    struct Input {
        int pad = 0;   // 0 or 1
        int code = 0;  // SDL game-controller button or axis
    };
    std::vector<Input> inputs;  // Press, Release; Axis has one
    int value = 0;              // Axis
};

struct PadScript {
    std::vector<PadScriptStep> steps;
    int errorLine = 0;  // 1-based line that does not parse; 0 when every line does
    // "family" lines, per controller; a controller without one presents no USB ids.
    bool familyGiven[2] = {false, false};
    PadFamily family[2] = {PadFamily::Other, PadFamily::Other};
};
PadScript ParsePadScript(const std::wstring& text);

// Reads and parses FILE for the run; false with the message to show when it cannot be used.
bool LoadPadScript(const std::filesystem::path& file, std::wstring& message);
bool PadScriptLoaded();
// Attaches the two virtual controllers and starts playing (after the home window has painted).
void StartPadScript(HWND timerWindow);
void RunPadScriptTick();
