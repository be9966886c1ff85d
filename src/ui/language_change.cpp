#include "ui/language_change.h"

namespace {
BOOL CALLBACK Tell(HWND window, LPARAM count) {
    SendMessageW(window, kLanguageChangedMessage, 0, 0);
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}
}  // namespace

int AnnounceLanguageChange() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), Tell, reinterpret_cast<LPARAM>(&count));
    return count;
}
