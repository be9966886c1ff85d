#include "update/update_protocol.h"

#include <vector>

#include "app/command_line.h"

namespace {
constexpr wchar_t kApplyMarker[] = L"[APPLY]";
constexpr wchar_t kProgressMarker[] = L"[PROGRESS] ";

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

std::wstring JobStart(const UpdateJobPaths& paths) {
    return QuoteUpdateWord(paths.interpreter.wstring()) + L" -X utf8 " +
           QuoteUpdateWord(paths.script.wstring());
}
}  // namespace

std::wstring QuoteUpdateWord(const std::wstring& text) { return QuoteArgument(text); }

std::wstring UpdateJobCommandLine(const UpdateJobPaths& paths, const std::wstring& job,
                                  const std::wstring& extra) {
    std::wstring line = JobStart(paths) + L" " + job + L" --root " +
                        QuoteUpdateWord(paths.root.wstring()) + L" --current " +
                        kUpdateVersionText + L" --result " +
                        QuoteUpdateWord(paths.resultFile.wstring());
    if (job == L"prepare") {
        line += L" --asset " + QuoteUpdateWord(extra);
    } else if (job == L"apply" || job == L"recover" || job == L"cleanup") {
        line += L" --job " + QuoteUpdateWord(extra);
    }
    return line;
}

std::wstring RecoveryInfoCommandLine(const UpdateJobPaths& paths) {
    return JobStart(paths) + L" recovery-info --root " + QuoteUpdateWord(paths.root.wstring()) +
           L" --result " + QuoteUpdateWord(paths.resultFile.wstring());
}

std::wstring HandOverParameters(bool recover, const std::filesystem::path& root,
                                const std::filesystem::path& jobFolder, DWORD processId,
                                unsigned long long creationTime) {
    return std::wstring(recover ? L"--recover-update " : L"--apply-update ") +
           QuoteUpdateWord(root.wstring()) + L" " + QuoteUpdateWord(jobFolder.wstring()) + L" " +
           std::to_wstring(processId) + L" " + std::to_wstring(creationTime);
}

bool IsApplyLine(const std::wstring& line) { return StartsWith(line, kApplyMarker); }

std::optional<std::wstring> ProgressText(const std::wstring& line) {
    if (!StartsWith(line, kProgressMarker)) return std::nullopt;
    return line.substr(wcslen(kProgressMarker));
}

namespace {
bool SameComponent(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The components of a path made lexically normal, without the empty one a trailing separator adds.
std::vector<std::wstring> Components(const std::filesystem::path& path) {
    std::vector<std::wstring> parts;
    for (const auto& part : path.lexically_normal()) parts.push_back(part.wstring());
    if (!parts.empty() && parts.back().empty()) parts.pop_back();
    return parts;
}
}  // namespace

bool IsHostInsideInstallation(const std::filesystem::path& root, const std::filesystem::path& host) {
    if (!host.is_absolute() || !root.is_absolute() || !SameComponent(host.extension().wstring(), L".exe")) {
        return false;
    }
    const std::vector<std::wstring> rootParts = Components(root);
    const std::vector<std::wstring> hostParts = Components(host);
    if (hostParts.size() <= rootParts.size()) return false;
    for (size_t i = 0; i < rootParts.size(); ++i) {
        if (!SameComponent(rootParts[i], hostParts[i])) return false;
    }
    return true;
}
