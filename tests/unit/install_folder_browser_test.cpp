// The pad's folder browser: what it lists in which order, where each of its keys leads, and the
// ROM counts of a real folder's rows.
#include <gtest/gtest.h>

#include <windows.h>

#include "install/folder_browsing.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {
FolderRow Row(FolderRow::Kind kind, const wchar_t* path, bool readable = true) {
    FolderRow row;
    row.kind = kind;
    row.path = path;
    row.label = path;
    row.readable = readable;
    return row;
}

std::string Narrow(const fs::path& path) {
    const std::wstring text = path.wstring();
    return std::string(text.begin(), text.end());
}
}  // namespace

TEST(FolderBrowsing, EachKeyMovesOpensLeavesOrChoosesAsThePadsButtonsSay) {
    using B = BrowserKey;
    using S = BrowserStep::Kind;
    FolderView inside;
    inside.shown = L"C:\\Games";
    inside.rows = {Row(FolderRow::Kind::Parent, L"C:\\"), Row(FolderRow::Kind::Folder, L"C:\\Games\\roms"),
                   Row(FolderRow::Kind::Folder, L"C:\\Games\\locked", false), Row(FolderRow::Kind::Folder, L"C:\\Games\\x")};
    FolderView top;
    top.rows = {Row(FolderRow::Kind::Suggested, L"D:\\roms"), Row(FolderRow::Kind::Drive, L"E:\\", false)};
    FolderView driveRoot;
    driveRoot.shown = L"C:\\";
    driveRoot.rows = {Row(FolderRow::Kind::Parent, L"")};
    const struct {
        const FolderView* view;
        int highlighted;
        B key;
        int pageRows;
        S kind;
        const wchar_t* folder;  // Show / Choose
        int nowHighlighted;     // Stay
    } cases[] = {
        {&inside, 1, B::Down, 5, S::Stay, L"", 2},
        {&inside, 3, B::Down, 5, S::Stay, L"", 3},           // the last row holds
        {&inside, 0, B::Up, 5, S::Stay, L"", 0},
        {&inside, 0, B::PageDown, 3, S::Stay, L"", 2},       // a page keeps one row in sight
        {&inside, 3, B::PageUp, 10, S::Stay, L"", 0},
        {&inside, 1, B::Open, 5, S::Show, L"C:\\Games\\roms", 0},
        {&inside, 0, B::Open, 5, S::Show, L"C:\\", 0},        // the parent row goes up
        {&inside, 2, B::Open, 5, S::Stay, L"", 2},           // a greyed folder is not opened
        {&inside, 2, B::ChooseHighlighted, 5, S::Stay, L"", 2},  // nor chosen
        {&inside, 3, B::ChooseHighlighted, 5, S::Choose, L"C:\\Games\\x", 0},
        {&inside, 3, B::ChooseShown, 5, S::Choose, L"C:\\Games", 0},
        {&inside, 3, B::Back, 5, S::Show, L"C:\\", 0},
        {&driveRoot, 0, B::Back, 5, S::Show, L"", 0},        // from a drive's root to the top list
        {&driveRoot, 0, B::Open, 5, S::Show, L"", 0},
        {&driveRoot, 0, B::ChooseHighlighted, 5, S::Stay, L"", 0},  // the top list is no folder
        {&top, 0, B::Back, 5, S::Close, L"", 0},             // back at the top closes
        {&top, 1, B::ChooseShown, 5, S::Stay, L"", 1},
        {&top, 0, B::ChooseHighlighted, 5, S::Choose, L"D:\\roms", 0},
        {&top, 1, B::Open, 5, S::Stay, L"", 1},              // an empty drive
    };
    for (const auto& c : cases) {
        FolderView view = *c.view;
        view.highlighted = c.highlighted;
        const BrowserStep step = StepBrowser(view, c.key, c.pageRows);
        const std::string label = "key " + std::to_string(static_cast<int>(c.key)) + " on row " +
                                  std::to_string(c.highlighted) + " of " + Narrow(view.shown);
        EXPECT_EQ(step.kind, c.kind) << label;
        if (c.kind == S::Stay) EXPECT_EQ(step.highlighted, c.nowHighlighted) << label;
        if (c.kind == S::Show || c.kind == S::Choose) EXPECT_EQ(step.folder, fs::path(c.folder)) << label;
    }
    EXPECT_EQ(StepBrowser(FolderView{}, B::Down, 5).kind, S::Stay) << "an empty list moves nowhere";
}

TEST(FolderBrowsing, TheTopListPutsSuggestionsFirstAndEachFolderOnce) {
    const std::vector<FolderRow> rows =
        TopRows({Row(FolderRow::Kind::Suggested, L"C:\\Users\\p\\Downloads\\roms")},
                {Row(FolderRow::Kind::Drive, L"C:\\"), Row(FolderRow::Kind::Drive, L"D:\\")},
                {Row(FolderRow::Kind::Place, L"C:\\Users\\p\\Desktop"), Row(FolderRow::Kind::Place, L"c:\\users\\P\\downloads\\ROMS\\"),
                 Row(FolderRow::Kind::Place, L"d:\\"), Row(FolderRow::Kind::Place, L"")});
    std::vector<std::wstring> order;
    for (const FolderRow& row : rows) order.push_back(row.path.wstring());
    EXPECT_EQ(order, (std::vector<std::wstring>{L"C:\\Users\\p\\Downloads\\roms", L"C:\\", L"D:\\", L"C:\\Users\\p\\Desktop"}));

    const std::pair<const wchar_t*, const wchar_t*> parents[] = {
        {L"C:\\Games\\roms", L"C:\\Games"}, {L"C:\\Games\\roms\\", L"C:\\Games"}, {L"C:\\Games", L"C:\\"},
        {L"C:\\", L""}, {L"Z:\\run\\media\\card", L"Z:\\run\\media"}};
    for (const auto& [folder, parent] : parents) {
        EXPECT_EQ(ParentFolder(folder), fs::path(parent)) << Narrow(folder);
    }
}

TEST(FolderBrowsing, GoingUpLandsOnTheFolderLeftAndTheScreenFollowsTheHighlight) {
    const std::vector<FolderRow> rows = {Row(FolderRow::Kind::Parent, L"C:\\"), Row(FolderRow::Kind::Folder, L"C:\\a"),
                                         Row(FolderRow::Kind::Folder, L"C:\\b")};
    EXPECT_EQ(HighlightAfterShow(rows, L"C:\\B"), 2);
    EXPECT_EQ(HighlightAfterShow(rows, L"C:\\"), 0) << "the parent row is never where one came from";
    EXPECT_EQ(HighlightAfterShow(rows, L""), 0);
    const struct {
        int highlighted, first, visible, count, expected;
    } screens[] = {{0, 0, 5, 20, 0}, {4, 0, 5, 20, 0}, {5, 0, 5, 20, 1}, {3, 6, 5, 20, 3},
                   {19, 0, 5, 20, 15}, {2, 10, 5, 4, 0}};
    for (const auto& s : screens) {
        EXPECT_EQ(FirstVisibleRow(s.highlighted, s.first, s.visible, s.count), s.expected)
            << "row " << s.highlighted << " from " << s.first;
    }
}

TEST(FolderBrowsing, AFoldersRowsCountTheirRomFilesAndLeaveHiddenSystemFoldersOut) {
    TempFolder temp(L"tlvr-browse");
    const fs::path root = temp.path();
    WriteFileBytes(root / L"beta" / L"game.BIN", std::string(300 * 1024, 'r'));
    WriteFileBytes(root / L"beta" / L"other.gen", std::string(260 * 1024, 'r'));
    WriteFileBytes(root / L"beta" / L"tiny.md", std::string(1024, 'r'));
    WriteFileBytes(root / L"Alpha" / L"notes.txt", "x");
    fs::create_directories(root / L"gamma" / L"deeper");
    WriteFileBytes(root / L"gamma" / L"deeper" / L"far.bin", std::string(300 * 1024, 'r'));
    fs::create_directories(root / L"$hidden");
    SetFileAttributesW((root / L"$hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    bool readable = false;
    const std::vector<FolderRow> rows = ListFolder(root, 1000, readable);
    EXPECT_TRUE(readable);
    ASSERT_EQ(rows.size(), 4u) << "parent, Alpha, beta, gamma";
    EXPECT_EQ(rows[0].kind, FolderRow::Kind::Parent);
    EXPECT_EQ(rows[0].path, root.parent_path());
    const std::pair<const wchar_t*, int> expected[] = {{L"Alpha", 0}, {L"beta", 2}, {L"gamma", 0}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i + 1].label, expected[i].first);
        EXPECT_EQ(rows[i + 1].romFiles, expected[i].second) << Narrow(rows[i + 1].label) << ": only files directly inside";
        EXPECT_TRUE(rows[i + 1].readable);
    }
    EXPECT_EQ(RomCountText(2), L"2 ROM files");
    EXPECT_EQ(RomCountText(1), L"1 ROM file");
    EXPECT_EQ(RomCountText(0), L"");

    int budget = 2;
    bool countable = false;
    EXPECT_EQ(CountRomFiles(root / L"beta", budget, countable), -1) << "a spent budget leaves the count unknown";
    EXPECT_EQ(RomCountText(-1), L"");
    ListFolder(root / L"missing", 1000, readable);
    EXPECT_FALSE(readable) << "a folder that cannot be listed reads as unreadable";
    budget = 10;
    CountRomFiles(root / L"missing", budget, countable);
    EXPECT_FALSE(countable);
}
