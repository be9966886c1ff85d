#include "ui/log_box.h"

#include <algorithm>

#include "texts/texts.h"

void LiftLogBoxLimit(HWND box) {
    // Zero asks a multiline box for its largest limit instead of the default of about 32K.
    SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
}

std::wstring LogBoxTrimNote(const std::filesystem::path& logFile) {
    return FormatText("log_box.trimmed", {{"path", logFile.wstring()}}) + L"\r\n";
}

size_t LogBoxCutLength(const std::wstring& text, size_t noteLength, size_t capacity, size_t trimmedTo) {
    if (text.size() <= capacity) return 0;
    const size_t keep = trimmedTo > noteLength ? trimmedTo - noteLength : 0;
    const size_t least = text.size() - std::min(keep, text.size());
    if (least == 0) return 0;
    const size_t lineEnd = text.find(L'\n', least - 1);
    return lineEnd == std::wstring::npos ? text.size() : lineEnd + 1;
}

namespace {
void MoveCaretToEnd(HWND box) {
    const LRESULT length = SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(length), length);
}

size_t BoxLength(HWND box) { return static_cast<size_t>(SendMessageW(box, WM_GETTEXTLENGTH, 0, 0)); }

// Cuts the oldest lines when the box holds more than its capacity less `room`; true when it cut.
// Runs only once in about every 100,000 characters appended; the box is our own, so reading it
// whole here is cheap.
bool TrimLogBox(HWND box, const std::filesystem::path& logFile, size_t room = 0) {
    const size_t capacity = kLogBoxCapacity - std::min(room, kLogBoxCapacity - kLogBoxTrimmedSize);
    const size_t length = BoxLength(box);
    if (length <= capacity) return false;
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(box, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    const std::wstring note = LogBoxTrimNote(logFile);
    const size_t cut = LogBoxCutLength(text, note.size(), capacity);
    if (cut == 0) return false;
    SendMessageW(box, EM_SETSEL, 0, static_cast<LPARAM>(cut));
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(note.c_str()));
    MoveCaretToEnd(box);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    return true;
}
}  // namespace

void AppendToLogBox(HWND box, const std::wstring& text, const std::filesystem::path& logFile) {
    MoveCaretToEnd(box);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    TrimLogBox(box, logFile);
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

void AppendLineToLogBox(HWND box, const std::wstring& line, const std::filesystem::path& logFile) {
    std::wstring text;
    AppendLogBoxLine(text, line);
    AppendToLogBox(box, text, logFile);
}

namespace {
constexpr size_t kCompactAfter = 1 << 20;
}  // namespace

void PendingLogText::AddLine(const std::wstring& line) { AppendLogBoxLine(text_, line); }

bool PendingLogText::FlushTo(HWND box, const std::filesystem::path& logFile, ULONGLONG now, size_t limit) {
    lastFlush_ = now;
    if (empty()) return false;
    size_t count = size();
    if (count > limit) {
        const size_t lineEnd = text_.rfind(L'\n', start_ + limit - 1);
        count = lineEnd != std::wstring::npos && lineEnd >= start_ ? lineEnd + 1 - start_ : limit;
    }
    // Under Wine the cut costs about as much as an append: both in one turn would keep the window
    // from answering twice as long. A part that would take the box past its capacity makes room
    // first, in a turn of its own.
    if (TrimLogBox(box, logFile, count)) return true;
    AppendToLogBox(box, text_.substr(start_, count), logFile);
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
