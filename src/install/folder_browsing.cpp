#include "install/folder_browsing.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <system_error>

#include "install/rom_search.h"
#include "texts/texts.h"

namespace fs = std::filesystem;

namespace {
// Folders compare as Windows does: any case, with or without a trailing separator.
std::wstring FolderKey(const fs::path& folder) {
    std::wstring key = folder.lexically_normal().wstring();
    while (key.size() > 3 && (key.back() == L'\\' || key.back() == L'/')) key.pop_back();
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
    return key;
}

bool SameFolder(const fs::path& a, const fs::path& b) { return FolderKey(a) == FolderKey(b); }

bool Choosable(const FolderRow& row) { return row.readable && !row.path.empty(); }

BrowserStep StayAt(int row) {
    BrowserStep step;
    step.highlighted = row;
    return step;
}

BrowserStep ShowFolder(const fs::path& folder) {
    BrowserStep step;
    step.kind = BrowserStep::Kind::Show;
    step.folder = folder;
    return step;
}

BrowserStep Chosen(const fs::path& folder) {
    BrowserStep step;
    step.kind = BrowserStep::Kind::Choose;
    step.folder = folder;
    return step;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}
}  // namespace

std::vector<FolderRow> TopRows(const std::vector<FolderRow>& suggested, const std::vector<FolderRow>& drives,
                               const std::vector<FolderRow>& places) {
    std::vector<FolderRow> rows;
    for (const std::vector<FolderRow>* group : {&suggested, &drives, &places}) {
        for (const FolderRow& row : *group) {
            if (row.path.empty()) continue;
            const bool listed = std::any_of(rows.begin(), rows.end(),
                                            [&](const FolderRow& other) { return SameFolder(other.path, row.path); });
            if (!listed) rows.push_back(row);
        }
    }
    return rows;
}

fs::path ParentFolder(const fs::path& folder) {
    std::wstring text = folder.lexically_normal().wstring();
    while (text.size() > 3 && (text.back() == L'\\' || text.back() == L'/')) text.pop_back();
    const fs::path trimmed = text;
    if (!trimmed.has_relative_path()) return {};
    return trimmed.parent_path();
}

BrowserStep StepBrowser(const FolderView& view, BrowserKey key, int pageRows) {
    const int count = static_cast<int>(view.rows.size());
    const int last = count > 0 ? count - 1 : 0;
    const int at = std::clamp(view.highlighted, 0, last);
    const int page = pageRows > 1 ? pageRows - 1 : 1;  // a page keeps one row of the last in sight
    const FolderRow* row = count > 0 ? &view.rows[static_cast<size_t>(at)] : nullptr;
    switch (key) {
    case BrowserKey::Up: return StayAt(at > 0 ? at - 1 : 0);
    case BrowserKey::Down: return StayAt(at < last ? at + 1 : last);
    case BrowserKey::PageUp: return StayAt(std::max(0, at - page));
    case BrowserKey::PageDown: return StayAt(std::min(last, at + page));
    case BrowserKey::Open:
        if (!row || !row->readable) return StayAt(at);
        if (row->kind == FolderRow::Kind::Parent) return ShowFolder(row->path);
        return row->path.empty() ? StayAt(at) : ShowFolder(row->path);
    case BrowserKey::Back:
        if (view.shown.empty()) {
            BrowserStep close;
            close.kind = BrowserStep::Kind::Close;
            return close;
        }
        return ShowFolder(ParentFolder(view.shown));
    case BrowserKey::ChooseHighlighted:
        return row && Choosable(*row) ? Chosen(row->path) : StayAt(at);
    case BrowserKey::ChooseShown:
        return view.shown.empty() ? StayAt(at) : Chosen(view.shown);
    }
    return StayAt(at);
}

int HighlightAfterShow(const std::vector<FolderRow>& rows, const fs::path& cameFrom) {
    if (cameFrom.empty()) return 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].kind != FolderRow::Kind::Parent && SameFolder(rows[i].path, cameFrom)) return static_cast<int>(i);
    }
    return 0;
}

int FirstVisibleRow(int highlighted, int first, int visible, int count) {
    if (visible < 1) visible = 1;
    if (highlighted < first) first = highlighted;
    if (highlighted >= first + visible) first = highlighted - visible + 1;
    return std::clamp(first, 0, std::max(0, count - visible));
}

int CountRomFiles(const fs::path& folder, int& budget, bool& readable) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    readable = !error;
    if (error) return 0;
    int roms = 0;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        if (budget <= 0) return -1;
        --budget;
        std::error_code ignored;
        if (it->is_directory(ignored)) continue;
        const std::wstring name = it->path().filename().wstring();
        const std::uint64_t size = it->file_size(ignored);
        if (ignored) continue;
        const std::wstring lower = Lower(name);
        const bool zip = lower.size() > 4 && lower.compare(lower.size() - 4, 4, L".zip") == 0;
        if (IsRomLikeFile(name, size) || (zip && IsZipHoldingRom(it->path()))) ++roms;
    }
    return roms;
}

std::vector<FolderRow> ListFolder(const fs::path& folder, int budget, bool& readable) {
    std::vector<FolderRow> rows;
    FolderRow parent;
    parent.kind = FolderRow::Kind::Parent;
    parent.path = ParentFolder(folder);
    parent.label = L"..";
    parent.romFiles = 0;
    rows.push_back(parent);
    std::error_code error;
    fs::directory_iterator it(folder, error);
    readable = !error;
    std::vector<FolderRow> folders;
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (!it->is_directory(ignored)) continue;
        const DWORD attributes = GetFileAttributesW(it->path().c_str());
        const DWORD hiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & hiddenSystem) == hiddenSystem) continue;
        FolderRow row;
        row.path = it->path();
        row.label = it->path().filename().wstring();
        folders.push_back(row);
    }
    std::sort(folders.begin(), folders.end(),
              [](const FolderRow& a, const FolderRow& b) { return Lower(a.label) < Lower(b.label); });
    for (FolderRow& row : folders) row.romFiles = CountRomFiles(row.path, budget, row.readable);
    rows.insert(rows.end(), folders.begin(), folders.end());
    return rows;
}

std::wstring RomCountText(int romFiles) {
    if (romFiles <= 0) return {};
    return PluralText("browser.rom_files", romFiles);
}
