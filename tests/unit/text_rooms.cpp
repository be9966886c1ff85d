#include "text_rooms.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <tuple>

#include "texts/texts.h"

namespace {
constexpr const char* kColumns =
    "key\tlanguage\twindow\tface\tweight\titalic\tem\twidth\theight\tline_height\twraps\tprefix\tgdi_width\tgdi_height";

auto Identity(const MeasuredRoom& room) { return std::tie(room.key, room.language, room.window); }

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

bool ToInt(const std::string& text, int* value) {
    if (text.empty()) return false;
    size_t used = 0;
    try {
        *value = std::stoi(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

std::string Describe(const MeasuredRoom& room) {
    return room.key + " (" + room.language + ", " + room.window + ")";
}
}  // namespace

std::string RoomsTableText(std::vector<MeasuredRoom> rooms) {
    // One row per key, language and window: the narrowest, then the lowest, of its places there.
    std::sort(rooms.begin(), rooms.end(), [](const MeasuredRoom& a, const MeasuredRoom& b) {
        return std::make_tuple(a.key, a.language, a.window, a.width, a.height) <
               std::make_tuple(b.key, b.language, b.window, b.width, b.height);
    });
    rooms.erase(std::unique(rooms.begin(), rooms.end(),
                            [](const MeasuredRoom& a, const MeasuredRoom& b) { return Identity(a) == Identity(b); }),
                rooms.end());
    std::ostringstream out;
    out << "# Made by scripts/measure_rooms.sh (TextFit under Wine 8, every language at 96 DPI on a 1280 x 800\n"
           "# work area): the room each window gives each text, in pixels. Do not edit; run the script again.\n"
        << "# " << kColumns << "\n";
    for (const MeasuredRoom& r : rooms) {
        out << r.key << '\t' << r.language << '\t' << r.window << '\t' << r.face << '\t' << r.weight << '\t'
            << (r.italic ? 1 : 0) << '\t' << r.em << '\t' << r.width << '\t' << r.height << '\t' << r.lineHeight
            << '\t' << (r.wraps ? 1 : 0) << '\t' << (r.prefix ? 1 : 0) << '\t' << r.measured << '\t'
            << r.measuredHeight << '\n';
    }
    return out.str();
}

std::vector<MeasuredRoom> ParseRoomsTable(std::string_view text) {
    std::vector<MeasuredRoom> rooms;
    std::istringstream in{std::string(text)};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = Fields(line);
        if (f.size() != 14) continue;
        MeasuredRoom r;
        r.key = f[0], r.language = f[1], r.window = f[2], r.face = f[3];
        int italic = 0, wraps = 0, prefix = 0;
        if (!ToInt(f[4], &r.weight) || !ToInt(f[5], &italic) || !ToInt(f[6], &r.em) || !ToInt(f[7], &r.width) ||
            !ToInt(f[8], &r.height) || !ToInt(f[9], &r.lineHeight) || !ToInt(f[10], &wraps) ||
            !ToInt(f[11], &prefix) || !ToInt(f[12], &r.measured) || !ToInt(f[13], &r.measuredHeight)) {
            continue;
        }
        r.italic = italic != 0, r.wraps = wraps != 0, r.prefix = prefix != 0;
        rooms.push_back(r);
    }
    return rooms;
}

std::vector<std::string> StaleRooms(const std::vector<MeasuredRoom>& committed,
                                    const std::vector<MeasuredRoom>& measured, int slack) {
    std::map<std::tuple<std::string, std::string, std::string>, const MeasuredRoom*> table;
    for (const MeasuredRoom& row : committed) table[Identity(row)] = &row;
    // The narrowest place of each key in each window, as the table keeps it.
    std::map<std::tuple<std::string, std::string, std::string>, const MeasuredRoom*> now;
    for (const MeasuredRoom& room : measured) {
        auto& narrowest = now[Identity(room)];
        if (!narrowest || std::tie(room.width, room.height) < std::tie(narrowest->width, narrowest->height))
            narrowest = &room;
    }
    std::vector<std::string> faults;
    for (const auto& [identity, room] : now) {
        const auto found = table.find(identity);
        if (found == table.end()) {
            faults.push_back(Describe(*room) + " was measured but the table has no row for it");
            continue;
        }
        const MeasuredRoom& row = *found->second;
        std::ostringstream fault;
        if (row.width > room->width + slack || row.height > room->height + slack) {
            fault << "the table promises " << row.width << " x " << row.height << " px, measured now "
                  << room->width << " x " << room->height;
        } else if (row.face != room->face || row.weight != room->weight || row.italic != room->italic ||
                   std::abs(row.em - room->em) > slack || std::abs(row.lineHeight - room->lineHeight) > slack ||
                   row.wraps != room->wraps || row.prefix != room->prefix) {
            fault << "the table has " << row.face << " " << row.em << " px" << (row.wraps ? ", wrapped" : "")
                  << ", measured now " << room->face << " " << room->em << " px" << (room->wraps ? ", wrapped" : "");
        }
        if (!fault.str().empty()) faults.push_back(Describe(*room) + ": " + fault.str());
    }
    return faults;
}

std::vector<std::string> KeysShowing(const std::wstring& text) {
    std::vector<std::string> keys;
    for (const auto& [key, english] : g_language.english) {
        const auto translated = g_language.chosen.find(key);
        if ((translated != g_language.chosen.end() ? translated->second : english) == text) keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

int ResolveByWindow(std::vector<MeasuredRoom>& rooms, const std::vector<AmbiguousRoom>& ambiguous) {
    const auto group = [](const std::string& key) { return key.substr(0, key.find('.')); };
    std::map<std::string, std::map<std::string, int>> groups;  // window -> group -> keyed rooms
    for (const MeasuredRoom& room : rooms) ++groups[room.window][group(room.key)];
    int left = 0;
    for (const AmbiguousRoom& pending : ambiguous) {
        const auto& counts = groups[pending.room.window];
        const auto own = std::max_element(counts.begin(), counts.end(),
                                          [](const auto& a, const auto& b) { return a.second < b.second; });
        std::vector<std::string> inGroup;
        for (const std::string& key : pending.keys)
            if (own != counts.end() && group(key) == own->first) inGroup.push_back(key);
        if (inGroup.size() != 1) {
            ++left;
            continue;
        }
        MeasuredRoom room = pending.room;
        room.key = inGroup.front();
        rooms.push_back(room);
    }
    return left;
}
