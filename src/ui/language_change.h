#pragma once
// A language change reaches every open window the same way: each top-level window of the GUI
// thread gets this message and reads its texts again (its own "apply texts" function).
#include <windows.h>

inline constexpr UINT kLanguageChangedMessage = WM_APP + 0x25;

// Sends kLanguageChangedMessage to every top-level window of the calling thread; returns how many.
int AnnounceLanguageChange();
