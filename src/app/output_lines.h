#pragma once
// Splitting a helper's raw output into lines: pure functions over bytes.
#include <windows.h>

#include <string>
#include <vector>

// Appends `size` bytes to `pending` and moves every complete line (ended by LF) out of it into
// `lines`, without the LF. With `stripCarriageReturn`, one CR just before the LF is dropped too.
// What follows the last LF stays in `pending` for the next chunk.
void TakeCompleteLines(std::string& pending, const char* data, size_t size, bool stripCarriageReturn,
                       std::vector<std::string>& lines);

// One line of a helper's output as text. A line that is valid UTF-8 is read as UTF-8; any other
// line is read in the console's OEM code page, which Windows PowerShell 5.1 writes to a pipe
// unless the script says otherwise. Each line is judged on its own, so a script that switches its
// output encoding half-way still reads right.
std::wstring DecodeOutputLine(const std::string& bytes);

// The code page a console program writes in by default: the system locale's OEM code page.
UINT ConsoleCodePage();

// UTF-8 to UTF-16; invalid bytes become replacement characters.
std::wstring Utf8ToWide(const std::string& text);

// UTF-16 to UTF-8.
std::string WideToUtf8(const std::wstring& text);
