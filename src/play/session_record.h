#pragma once
// The record of game sessions in ".local/sessions.csv": one line per session started by PLAY or
// "--play", "start,game,seconds,exit code", oldest first, no header. A session still running when
// Windows ended the session has "session-end" in the code column. Lines are only ever appended
// and flushed, so a crash loses at most the session that was running; the file is cut back to its
// newest lines through a verified replace once it grows past its limit.
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

struct GameSession {
    std::wstring startUtc;          // "2026-12-09T12:34:56Z"
    int gameNumber = 0;             // 1 or 2
    unsigned long long seconds = 0; // how long the game ran
    unsigned long exitCode = 0;
    bool cutBySessionEnd = false;   // Windows ended the session while the game ran: no code
};

inline constexpr char kSessionEndCode[] = "session-end";

inline constexpr size_t kSessionRecordLimit = 2000;  // past this many lines the file is cut...
inline constexpr size_t kSessionRecordKept = 1000;   // ...to this many of the newest

// root / ".local/sessions.csv".
std::filesystem::path SessionRecordFile(const std::filesystem::path& root);

// "YYYY-MM-DDTHH:MM:SSZ" of a UTC time.
std::wstring IsoUtcText(const FILETIME& utc);

// One line of the file, without its line end.
std::string SessionLine(const GameSession& session);

// Appends the session and flushes it; cuts the file when it has grown past the limit. Failures
// are not reported: the record is a help for support, never a reason to bother the player.
bool AppendGameSession(const std::filesystem::path& root, const GameSession& session);

// One line of the file (without its line end) read back; false for a line that does not read as
// a session, such as one torn by a crash.
bool ParseGameSession(const std::string& line, GameSession* session);

// The newest `count` sessions, oldest first. Lines that do not read as a session (a line torn by
// a crash) are skipped.
std::vector<GameSession> ReadLastGameSessions(const std::filesystem::path& root, size_t count);
