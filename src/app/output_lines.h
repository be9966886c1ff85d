#pragma once
// Splitting a helper's raw output into lines: pure functions over bytes.
#include <string>
#include <vector>

// Appends `size` bytes to `pending` and moves every complete line (ended by LF) out of it into
// `lines`, without the LF. With `stripCarriageReturn`, one CR just before the LF is dropped too.
// What follows the last LF stays in `pending` for the next chunk.
void TakeCompleteLines(std::string& pending, const char* data, size_t size, bool stripCarriageReturn,
                       std::vector<std::string>& lines);

// UTF-8 to UTF-16; invalid bytes become replacement characters.
std::wstring Utf8ToWide(const std::string& text);

// UTF-16 to UTF-8.
std::string WideToUtf8(const std::wstring& text);
