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

void AppendLogBoxLine(std::wstring& text, const std::wstring& line) {
    const size_t nul = line.find(L'\0');
    const size_t end = nul == std::wstring::npos ? line.size() : nul;
    size_t start = 0;
    while (end - start > kLongestLogBoxLine) {
        size_t count = kLongestLogBoxLine;
        if (IS_HIGH_SURROGATE(line[start + count - 1]) && IS_LOW_SURROGATE(line[start + count])) --count;
        text.append(line, start, count);
        text += L"\r\n";
        start += count;
    }
    text.append(line, start, end - start);
    if (nul == std::wstring::npos) text += L"\r\n";
}

void AppendLineToLogBox(HWND box, const std::wstring& line) {
    std::wstring text;
    AppendLogBoxLine(text, line);
    AppendToLogBox(box, text);
}

namespace {
constexpr size_t kCompactAfter = 1 << 20;
}  // namespace

void PendingLogText::AddLine(const std::wstring& line) { AppendLogBoxLine(text_, line); }

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
