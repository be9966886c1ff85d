#pragma once
// How a game's exit code reads to a player: a Windows exception or error status by name, anything
// else as a plain number.
#include <string>

// The player reads the Launcher's language; the problem report (read by a helper) stays English.
enum class Wording { Player, English };

// One sentence: "The game stopped with an access violation (0xC0000005).", the system's own text
// for other statuses, or "The game ended with exit code N.".
std::wstring DescribeExitCode(unsigned long code, Wording wording = Wording::Player);

// True for the codes that are Windows statuses rather than a number the game chose:
// 0xC0000000 and up (errors) and 0x80000003 (a breakpoint nobody caught).
bool IsWindowsStatusCode(unsigned long code);

// The sentence for a status the short words do not cover, given the system's text for it (empty
// when the system has none). Kept apart from the message-table lookup so that its wording can be
// checked on any system.
std::wstring DescribeStatusWithSystemText(unsigned long code, const std::wstring& systemText,
                                         Wording wording = Wording::Player);

// "0xC0000005": eight upper-case hex digits.
std::wstring HexCode(unsigned long code);
