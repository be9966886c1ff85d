#pragma once
// The controls editor's window, for the scripted check and the tests: what it holds and one
// tick of its controller timer. Start-up and the home window use controls_entry.h.
#include <windows.h>

#include "controls/controller_input.h"
#include "controls/controls_entry.h"
#include "controls/controls_profile.h"

inline constexpr wchar_t kControlsEditorClass[] = L"TlvrControlEditor";

// Command ids of the editor's children.
inline constexpr int kEditorSaveId = IDOK;
inline constexpr int kEditorCancelId = IDCANCEL;
inline constexpr int kControllerChoiceId = 701;
inline constexpr int kSteeringChoiceId = 702;
inline constexpr int kDeadzoneChoiceId = 703;
inline constexpr int kPulseBoxId = 704;
inline constexpr int kPulseLabelId = 705;
inline constexpr int kFirstKeyButtonId = 800;
inline constexpr int kFirstControllerButtonId = 820;
inline constexpr int kFirstClearButtonId = 840;
inline constexpr int kRestoreDefaultsId = 901;

const ControlsProfile& EditorWorkingProfile();
const CaptureState& EditorCapture();
std::wstring EditorStatusText();
// One tick of the 40 ms controller timer.
void RunEditorPollTick();
// The check run drives the editor without ever activating its owner.
void SetEditorCheckRun(bool running);
// Reopens the controllers and selects `slot` in the controller choice.
void RebuildEditorControllerList();
void SetEditorControllerSlot(int slot);
