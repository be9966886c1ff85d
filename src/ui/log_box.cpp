#include "ui/log_box.h"

void LiftLogBoxLimit(HWND box) {
    // Zero asks a multiline box for its largest limit instead of the default of about 32K.
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
}

void AppendToLogBox(HWND box, const std::wstring& text) {
    const LRESULT length = SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

void PendingLogText::AddLine(const std::wstring& line) {
    // One append of line + CRLF ends at a NUL character, line end included: keep that.
    const size_t nul = line.find(L'\0');
    if (nul != std::wstring::npos) {
        text_.append(line, 0, nul);
        return;
    }
    text_ += line;
    text_ += L"\r\n";
}

void PendingLogText::FlushTo(HWND box, ULONGLONG now) {
    lastFlush_ = now;
    if (text_.empty()) return;
    AppendToLogBox(box, text_);
    text_.clear();
}

void PendingLogText::Clear() { text_.clear(); }
