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

namespace {
constexpr size_t kCompactAfter = 1 << 20;
}  // namespace

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

bool PendingLogText::FlushTo(HWND box, ULONGLONG now, size_t limit) {
    lastFlush_ = now;
    if (empty()) return false;
    size_t count = size();
    if (count > limit) {
        const size_t lineEnd = text_.rfind(L'\n', start_ + limit - 1);
        count = lineEnd != std::wstring::npos && lineEnd >= start_ ? lineEnd + 1 - start_ : limit;
    }
    AppendToLogBox(box, text_.substr(start_, count));
    start_ += count;
    if (empty()) {
        Clear();
        return false;
    }
    if (start_ > kCompactAfter && start_ > text_.size() / 2) {  // a long backlog: drop what went
        text_.erase(0, start_);
        start_ = 0;
    }
    return true;
}

void PendingLogText::Clear() {
    text_.clear();
    start_ = 0;
}
