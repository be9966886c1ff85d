#pragma once
// What the session record says about each game: when it was last played and for how long in all.
// Read once at start-up and brought up to date as each session ends, so a paint never reads the
// disk. Only the sessions the record still holds are counted (it keeps its newest lines).
#include <windows.h>

#include <filesystem>
#include <string>

#include "app/game_table.h"
#include "play/session_record.h"

struct GamePlayTime {
    bool played = false;
    ULONGLONG lastEndUtc = 0;  // FILETIME units: when the latest session ended
    unsigned long long seconds = 0;
};

struct PlayRecord {
    GamePlayTime games[kGameCount];
};

// "YYYY-MM-DDTHH:MM:SSZ" as FILETIME units; false for anything else.
bool ParseIsoUtc(const std::wstring& text, ULONGLONG* fileTime);

// Counts one session in; sessions of an unknown game or with an unreadable start are ignored.
void AddToPlayRecord(PlayRecord* record, const GameSession& session);
// The whole sessions.csv content, torn lines skipped.
PlayRecord PlayRecordFromText(const std::string& text);

// "12 h 5 min", "5 min", "2 h"; under a minute "< 1 min".
std::wstring PlayDurationText(unsigned long long seconds);
// "Never played", or "Last played <date> · <duration>" with the date already in the player's words.
std::wstring PlayTimeText(const GamePlayTime& game, const std::wstring& dateText);
// The date of a UTC moment in the player's time zone and date format.
std::wstring PlayerDateText(ULONGLONG utcFileTime);

// The process-wide record (GUI thread only).
void LoadPlayRecord(const std::filesystem::path& root);
void NoteEndedSession(const GameSession& session);
// The card's line for game index 0..1, from the process-wide record.
std::wstring CardPlayTimeText(int game);
