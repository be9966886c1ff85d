// The table of measured rooms: what makes it stale, and how a text several keys give is keyed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_rooms.h"

namespace {
MeasuredRoom Row(const std::string& key, int width, int height) {
    MeasuredRoom room;
    room.key = key, room.language = "de", room.window = "installer", room.face = "Barlow";
    room.em = 16, room.width = width, room.height = height, room.lineHeight = 22, room.measured = width - 10;
    room.measuredHeight = 22;
    return room;
}
}  // namespace

TEST(RoomsTable, IsStaleWhenItPromisesMoreThanOnePixelOverWhatWasMeasuredOrLacksAKey) {
    struct Case {
        const char* what;
        MeasuredRoom committed;
        MeasuredRoom measured;
        bool stale;
    };
    MeasuredRoom otherFace = Row("install.browse", 100, 30);
    otherFace.face = "Fira Sans Condensed";
    MeasuredRoom nowWraps = Row("install.browse", 100, 30);
    nowWraps.wraps = true;
    const Case cases[] = {
        {"the same room", Row("install.browse", 100, 30), Row("install.browse", 100, 30), false},
        {"one pixel less now (the other Wine)", Row("install.browse", 100, 30), Row("install.browse", 99, 29), false},
        {"more room now", Row("install.browse", 100, 30), Row("install.browse", 140, 60), false},
        {"two pixels narrower now", Row("install.browse", 100, 30), Row("install.browse", 98, 30), true},
        {"two pixels lower now", Row("install.browse", 100, 30), Row("install.browse", 100, 28), true},
        {"another face now", Row("install.browse", 100, 30), otherFace, true},
        {"wrapped now", Row("install.browse", 100, 30), nowWraps, true},
        {"a key the table lacks", Row("install.browse", 100, 30), Row("install.folder", 100, 30), true},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> faults = StaleRooms({c.committed}, {c.measured}, 1);
        EXPECT_EQ(!faults.empty(), c.stale) << c.what << (faults.empty() ? "" : ": " + faults.front());
    }
}

TEST(RoomsTable, KeepsTheNarrowestPlaceOfAKeyInAWindowAndReadsBackWhatItWrote) {
    const std::vector<MeasuredRoom> measured = {Row("install.status", 300, 44), Row("install.browse", 90, 29),
                                                Row("install.browse", 80, 29)};
    const std::vector<MeasuredRoom> table = ParseRoomsTable(RoomsTableText(measured));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].key, "install.browse");
    EXPECT_EQ(table[0].width, 80) << "the narrower of the two places";
    EXPECT_EQ(table[1].key, "install.status");
    EXPECT_EQ(table[1].measured, 290);
    EXPECT_TRUE(StaleRooms(table, measured, 0).empty()) << "a table just written holds against its measurement";
}

TEST(RoomsTable, GivesATextOfSeveralKeysTheKeyOfItsWindowsGroup) {
    std::vector<MeasuredRoom> rooms = {Row("install.browse", 90, 29), Row("install.folder", 300, 29)};
    const std::vector<AmbiguousRoom> ambiguous = {
        {Row("", 90, 29), {"install.close", "updates.close"}},     // the installer's own
        {Row("", 90, 29), {"home.add_to_steam", "options.add"}},  // neither in the installer's group
        {Row("", 90, 29), {"install.open_logs", "install.logs"}},  // two in it
    };
    EXPECT_EQ(ResolveByWindow(rooms, ambiguous), 2);
    ASSERT_EQ(rooms.size(), 3u);
    EXPECT_EQ(rooms.back().key, "install.close");
}
