#pragma once
// What the pad's folder browser lists and what each of its keys does: pure over values (the
// listing itself reads folders, nothing else), so the order of the rows and every key's effect
// are tested without a window.
#include <filesystem>
#include <string>
#include <vector>

struct FolderRow {
    enum class Kind { Suggested, Drive, Place, Parent, Folder } kind = Kind::Folder;
    std::filesystem::path path;
    std::wstring label;
    int romFiles = 0;       // ROM-like files directly inside; -1 when they were not counted
    bool readable = true;   // false: shown greyed, neither opened nor chosen
};

struct FolderView {
    std::filesystem::path shown;  // empty: the top list
    std::vector<FolderRow> rows;
    int highlighted = 0;
};

// The top list: the suggested ROM folders, then the drives, then the places; a folder already
// listed is left out further down.
std::vector<FolderRow> TopRows(const std::vector<FolderRow>& suggested, const std::vector<FolderRow>& drives,
                               const std::vector<FolderRow>& places);

// One level up: a drive's root goes to the top list (empty).
std::filesystem::path ParentFolder(const std::filesystem::path& folder);

enum class BrowserKey { Up, Down, PageUp, PageDown, Open, Back, ChooseHighlighted, ChooseShown };
struct BrowserStep {
    enum class Kind { Stay, Show, Close, Choose } kind = Kind::Stay;
    std::filesystem::path folder;  // Show: what to list (empty: the top list); Choose: the folder chosen
    int highlighted = 0;           // Stay: the row highlighted now
};
// `pageRows` is how many rows the window shows at once.
BrowserStep StepBrowser(const FolderView& view, BrowserKey key, int pageRows);

// The row to highlight once `rows` are listed after leaving `cameFrom`: that folder's row when
// it is there (going up lands on the folder just left), else the first row.
int HighlightAfterShow(const std::vector<FolderRow>& rows, const std::filesystem::path& cameFrom);
// The first row on screen for `visible` rows: it moves only as far as the highlight needs.
int FirstVisibleRow(int highlighted, int first, int visible, int count);

// Counts the ROM-like files directly in `folder` while `budget` (directory entries) lasts:
// -1 once it is spent, and `readable` false when the folder cannot be listed.
int CountRomFiles(const std::filesystem::path& folder, int& budget, bool& readable);
// A folder's rows: the parent first, then its subfolders by name (any case); hidden system
// folders are left out. Each row's count draws on `budget`.
std::vector<FolderRow> ListFolder(const std::filesystem::path& folder, int budget, bool& readable);
// The row label of a ROM count: "1 ROM file", "N ROM files", empty for none or not counted.
std::wstring RomCountText(int romFiles);
