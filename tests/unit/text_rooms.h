#pragma once
// The room the fit test measured for each text, by key, language and window: written to a table
// (src/texts/rooms.tsv) that the host's check of the tables reads, so a longer translation is
// caught without Wine, and compared with the committed table so that table cannot go stale.
#include <string>
#include <string_view>
#include <vector>

struct MeasuredRoom {
    std::string key;
    std::string language;
    std::string window;
    std::string face;    // the face GDI drew with (GetTextFaceW)
    int weight = 400;
    bool italic = false;
    int em = 0;          // pixels per em
    int width = 0;       // room for the longest line
    int height = 0;      // room for all lines
    int lineHeight = 0;  // DrawText's line advance: the font's cell height
    bool wraps = false;
    bool prefix = false;  // "&" marks an access key and is not drawn
    int measured = 0;     // the width GDI gave the text (its widest line when it wraps)
    int measuredHeight = 0;  // and its height: its lines times the line height
};

// The table's text: comment lines saying how it is made, then one row per key, language and window
// (the narrowest room where one window shows a key twice), sorted.
std::string RoomsTableText(std::vector<MeasuredRoom> rooms);
// The rows of a table's text; lines that are no row are left out.
std::vector<MeasuredRoom> ParseRoomsTable(std::string_view text);

// What makes `committed` stale against what was measured now: a row that promises more room (by
// more than `slack` pixels) or another font, and a measured key the table lacks. Empty when it holds.
std::vector<std::string> StaleRooms(const std::vector<MeasuredRoom>& committed,
                                    const std::vector<MeasuredRoom>& measured, int slack);

// The keys whose text in the current language is exactly `text` (the fallback to English applied).
std::vector<std::string> KeysShowing(const std::wstring& text);

// A room measured for a text several keys give in that language ("Close").
struct AmbiguousRoom {
    MeasuredRoom room;  // its key still empty
    std::vector<std::string> keys;
};
// Gives each ambiguous room the one of its keys in the window's own group ("install." in the
// installer: the first part most of the window's keyed rooms share) and adds it to `rooms`.
// Returns how many stay ambiguous (none or several keys in that group).
int ResolveByWindow(std::vector<MeasuredRoom>& rooms, const std::vector<AmbiguousRoom>& ambiguous);

// The table compiled into the test program from src/texts/rooms.tsv.
std::string_view CommittedRoomsTable();
