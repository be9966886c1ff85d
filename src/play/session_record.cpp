#include "play/session_record.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/verified_file_replace.h"
#include "app/win_owners.h"

namespace fs = std::filesystem;

namespace {
std::string ReadWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool ReadUnsigned(const std::string& text, unsigned long long limit, unsigned long long* value) {
    if (text.empty() || text.size() > 20) return false;
    unsigned long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const unsigned long long digit = static_cast<unsigned long long>(c - '0');
        if (result > (limit - digit) / 10) return false;
        result = result * 10 + digit;
    }
    *value = result;
    return true;
}

}  // namespace

bool ParseGameSession(const std::string& line, GameSession* session) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, ',')) fields.push_back(field);
    if (fields.size() != 4) return false;
    // The start time is ours and ASCII: "YYYY-MM-DDTHH:MM:SSZ".
    if (fields[0].size() != 20 || fields[0][10] != 'T' || fields[0].back() != 'Z') return false;
    unsigned long long game = 0, seconds = 0, code = 0;
    if (!ReadUnsigned(fields[1], 2, &game) || game < 1) return false;
    if (!ReadUnsigned(fields[2], ~0ull, &seconds)) return false;
    const bool cut = fields[3] == kSessionEndCode;
    if (!cut && !ReadUnsigned(fields[3], 0xFFFFFFFFull, &code)) return false;
    session->startUtc.assign(fields[0].begin(), fields[0].end());
    session->gameNumber = static_cast<int>(game);
    session->seconds = seconds;
    session->exitCode = static_cast<unsigned long>(code);
    session->cutBySessionEnd = cut;
    return true;
}

fs::path SessionRecordFile(const fs::path& root) { return root / L".local" / L"sessions.csv"; }

std::wstring IsoUtcText(const FILETIME& utc) {
    SYSTEMTIME time = {};
    if (!FileTimeToSystemTime(&utc, &time)) return L"1601-01-01T00:00:00Z";
    wchar_t buffer[32] = {};
    std::swprintf(buffer, 32, L"%04u-%02u-%02uT%02u:%02u:%02uZ", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, time.wSecond);
    return buffer;
}

std::string SessionLine(const GameSession& session) {
    return std::string(session.startUtc.begin(), session.startUtc.end()) + "," +
           std::to_string(session.gameNumber) + "," + std::to_string(session.seconds) + "," +
           (session.cutBySessionEnd ? std::string(kSessionEndCode) : std::to_string(session.exitCode));
}

bool AppendGameSession(const fs::path& root, const GameSession& session) {
    const fs::path file = SessionRecordFile(root);
    // A line torn by a crash must not swallow the next one.
    const std::string before = ReadWholeFile(file);
    std::string line = SessionLine(session) + "\r\n";
    if (!before.empty() && before.back() != '\n') line.insert(0, "\r\n");
    {
        const UniqueHandle handle(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) return false;
        DWORD written = 0;
        if (!WriteFile(handle.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
            written != line.size()) {
            return false;
        }
        FlushFileBuffers(handle.get());
    }

    std::vector<std::string> lines = SplitLines(before + line);
    if (lines.size() <= kSessionRecordLimit) return true;
    std::string kept;
    for (size_t i = lines.size() - kSessionRecordKept; i < lines.size(); ++i) kept += lines[i] + "\r\n";
    return ReplaceFileVerified(file, kept);
}

std::vector<GameSession> ReadLastGameSessions(const fs::path& root, size_t count) {
    std::vector<GameSession> sessions;
    for (const std::string& line : SplitLines(ReadWholeFile(SessionRecordFile(root)))) {
        GameSession session;
        if (ParseGameSession(line, &session)) sessions.push_back(std::move(session));
    }
    if (sessions.size() > count) sessions.erase(sessions.begin(), sessions.end() - static_cast<long>(count));
    return sessions;
}
