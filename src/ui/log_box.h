#pragma once
// Read-only multiline edit boxes that show a helper's log. A plain edit box stops at about
// 32,767 characters and silently drops what an append puts past that, so every log box lifts
// the limit when it is made and appends through here.
#include <windows.h>

#include <filesystem>
#include <string>

// Lifts the text limit of a multiline edit box to the largest it can hold.
void LiftLogBoxLimit(HWND box);

// The most a log box holds. A box of millions of characters makes every append slow, and under
// Wine 10 a reader that asks for its whole text from another process (a screen reader, any
// automation tool) ends the Launcher. The log file keeps every byte.
constexpr size_t kLogBoxCapacity = 500000;
// A box past its capacity drops whole lines from its front down to this, so that a steady stream
// of lines is cut once in a while rather than at every append.
constexpr size_t kLogBoxTrimmedSize = 400000;

// The line a box shows first once its older lines went, line end included.
std::wstring LogBoxTrimNote(const std::filesystem::path& logFile);

// How many characters of `text`'s front to replace with `noteLine` so that it holds at most
// `trimmedTo` characters again: 0 while it holds at most `capacity`; otherwise the cut ends after a
// line end (a note already there goes with it), or takes everything when no line end is left.
size_t LogBoxCutLength(const std::wstring& text, size_t noteLength, size_t capacity = kLogBoxCapacity,
                       size_t trimmedTo = kLogBoxTrimmedSize);

// Appends `text` at the end (caret to the end, replace the empty selection without undo) and
// scrolls the caret into view. A box past its capacity then loses its oldest lines to a first
// line that names `logFile`.
void AppendToLogBox(HWND box, const std::wstring& text, const std::filesystem::path& logFile);

// The longest line a log box holds. Edit boxes measure a whole line at once, and one of some
// million characters (a progress bar drawn with carriage returns never ends its line) overflowed
// the stack inside Wine 10's text measurement; the log file keeps such a line whole.
constexpr size_t kLongestLogBoxLine = 4096;

// Adds `line` to `text` as a log box shows it: folded into lines of at most kLongestLogBoxLine
// characters (never between the two halves of a surrogate pair), then a line end. A NUL ends the
// line, line end included, as it ends an append to the box.
void AppendLogBoxLine(std::wstring& text, const std::wstring& line);

// Appends one line of helper output, folded as above.
void AppendLineToLogBox(HWND box, const std::wstring& line, const std::filesystem::path& logFile);

// Log text that waits to be appended: a fast helper posts lines far quicker than an edit box
// can take them one by one, so the lines are gathered and handed over in batches of a bounded
// size (one append of much text keeps the window from answering for too long). The box's text
// comes out exactly as line-by-line appends would leave it.
class PendingLogText {
public:
    // Adds one line, folded, and the line end the box shows after it.
    void AddLine(const std::wstring& line);
    bool empty() const { return start_ == text_.size(); }
    size_t size() const { return text_.size() - start_; }
    // True when text has waited `periodMs` since the last hand-over.
    bool Due(ULONGLONG now, ULONGLONG periodMs) const { return !empty() && now - lastFlush_ >= periodMs; }
    // Appends at most `limit` characters of what waits, ending after a line end when one falls
    // within them; or, when they would take the box past its capacity, only cuts the box's oldest
    // lines (the next hand-over appends). True while text still waits.
    bool FlushTo(HWND box, const std::filesystem::path& logFile, ULONGLONG now, size_t limit = std::wstring::npos);
    void Clear();

private:
    std::wstring text_;
    size_t start_ = 0;  // what came before was handed over
    ULONGLONG lastFlush_ = 0;
};
