#include "play/play_time.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "texts/player_formats.h"
#include "texts/texts.h"

namespace {
PlayRecord g_playRecord;  // start-up loads, the game watch adds

unsigned Digits(const std::wstring& text, size_t at, size_t count, bool* ok) {
    unsigned value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9') *ok = false;
        value = value * 10 + static_cast<unsigned>(text[i] - L'0');
    }
    return value;
}

constexpr ULONGLONG kFileTimeSecond = 10000000ull;
}  // namespace

bool ParseIsoUtc(const std::wstring& text, ULONGLONG* fileTime) {
    if (text.size() != 20 || text[4] != L'-' || text[7] != L'-' || text[10] != L'T' || text[13] != L':' ||
        text[16] != L':' || text[19] != L'Z') {
        return false;
    }
    bool ok = true;
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(Digits(text, 0, 4, &ok));
    time.wMonth = static_cast<WORD>(Digits(text, 5, 2, &ok));
    time.wDay = static_cast<WORD>(Digits(text, 8, 2, &ok));
    time.wHour = static_cast<WORD>(Digits(text, 11, 2, &ok));
    time.wMinute = static_cast<WORD>(Digits(text, 14, 2, &ok));
    time.wSecond = static_cast<WORD>(Digits(text, 17, 2, &ok));
    FILETIME converted = {};
    if (!ok || !SystemTimeToFileTime(&time, &converted)) return false;
    *fileTime = (static_cast<ULONGLONG>(converted.dwHighDateTime) << 32) | converted.dwLowDateTime;
    return true;
}

void AddToPlayRecord(PlayRecord* record, const GameSession& session) {
    if (session.gameNumber < 1 || session.gameNumber > kGameCount) return;
    ULONGLONG start = 0;
    if (!ParseIsoUtc(session.startUtc, &start)) return;
    GamePlayTime& game = record->games[session.gameNumber - 1];
    // The record is in order of the sessions' ends, but a clock set back must not make an older
    // session the "last" one.
    const ULONGLONG end = start + session.seconds * kFileTimeSecond;
    game.lastEndUtc = game.played ? std::max(game.lastEndUtc, end) : end;
    game.played = true;
    game.seconds += session.seconds;
}

PlayRecord PlayRecordFromText(const std::string& text) {
    PlayRecord record;
    size_t start = 0;
    std::string line;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        line.assign(text, start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        GameSession session;
        if (ParseGameSession(line, &session)) AddToPlayRecord(&record, session);
        start = end + 1;
    }
    return record;
}

std::wstring PlayDurationText(unsigned long long seconds) {
    const unsigned long long minutes = seconds / 60;
    if (minutes == 0) return Text("play_time.less_than_minute");
    const unsigned long long hours = minutes / 60, rest = minutes % 60;
    const std::wstring hourText = LanguageNumberText(static_cast<long long>(hours));
    const std::wstring minuteText = std::to_wstring(rest);
    if (hours == 0) return FormatText("play_time.minutes", {{"minutes", minuteText}});
    if (rest == 0) return FormatText("play_time.hours", {{"hours", hourText}});
    return FormatText("play_time.hours_minutes", {{"hours", hourText}, {"minutes", minuteText}});
}

std::wstring PlayTimeText(const GamePlayTime& game, const std::wstring& dateText) {
    if (!game.played) return Text("play_time.never");
    return FormatText("play_time.last_played", {{"date", dateText}, {"duration", PlayDurationText(game.seconds)}});
}

std::wstring PlayerDateText(ULONGLONG utcFileTime) {
    FILETIME utc = {static_cast<DWORD>(utcFileTime), static_cast<DWORD>(utcFileTime >> 32)};
    SYSTEMTIME universal = {}, local = {};
    if (!FileTimeToSystemTime(&utc, &universal)) return {};
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) local = universal;
    // Day, short month name and year, in the form of the Launcher's language.
    return LanguageDateText(local);
}

void LoadPlayRecord(const std::filesystem::path& root) {
    std::ifstream in(SessionRecordFile(root), std::ios::binary);
    if (!in) {
        g_playRecord = PlayRecord{};
        return;
    }
    std::ostringstream content;
    content << in.rdbuf();
    g_playRecord = PlayRecordFromText(content.str());
}

void NoteEndedSession(const GameSession& session) { AddToPlayRecord(&g_playRecord, session); }

std::wstring CardPlayTimeText(int game) {
    const GamePlayTime& played = g_playRecord.games[std::clamp(game, 0, kGameCount - 1)];
    return PlayTimeText(played, played.played ? PlayerDateText(played.lastEndUtc) : std::wstring());
}
