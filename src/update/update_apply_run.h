#pragma once
// The update-apply run's reactions, called from the updates window and the job runner.
#include <windows.h>

void ApplyRunTick();            // the 100 ms timer
void ApplyRunCancelCommand();   // the id 2 button and the close box
void OnApplyJobFinished(DWORD exitCode);

// Smaller of the primary monitor's work-area height / 500 and its DPI / 96.
float ApplyRunWindowScale();
