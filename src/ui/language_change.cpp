#include "ui/language_change.h"

#include "ui/scaled_window.h"

namespace {
BOOL CALLBACK Tell(HWND window, LPARAM count) {
    SendMessageW(window, kLanguageChangedMessage, 0, 0);
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
}  // namespace

int AnnounceLanguageChange() {
    // Another language may need another face: the controls get it before they read their texts.
    RefaceScaledWindows();
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), Tell, reinterpret_cast<LPARAM>(&count));
    return count;
}
