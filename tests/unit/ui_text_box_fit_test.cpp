// The rule that finds room for a longer text in a fixed layout, on a measure with a fixed advance:
// every character 10 px, every line 20 px, words broken at spaces as DrawText breaks them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "ui/text_box_fit.h"

namespace {
constexpr int kChar = 10;
constexpr int kLine = 20;

TextExtent Measure(const std::string& text, int width, bool wrap) {
    if (!wrap) return TextExtent{kChar * static_cast<int>(text.size()), kLine};
    std::istringstream words(text);
    std::string word;
    int lines = 1, line = 0, widest = 0;
    while (words >> word) {
        const int w = kChar * static_cast<int>(word.size());
        if (line == 0) {
            line = w;
        } else if (line + kChar + w <= width) {
            line += kChar + w;
        } else {
            widest = std::max(widest, line);
            ++lines;
            line = w;
        }
    }
    return TextExtent{std::max(widest, line), lines * kLine};
}

struct Box {
    TextBox box;
    std::string text;  // empty: a control without text (a list, a picture)
};
struct Case {
    const char* name;
    float scale;
    int rightEdge;
    std::vector<Box> before;
    std::vector<TextBox> after;
    int grown;
};

TextBox Line(int x, int y, int w, int h, int margin = 0) { return TextBox{x, y, w, h, TextKind::OneLine, margin, kLine}; }
TextBox Wraps(int x, int y, int w, int h, int margin = 0) {
    return TextBox{x, y, w, h, TextKind::Wrapping, margin, kLine};
}
TextBox Other(int x, int y, int w, int h) { return TextBox{x, y, w, h, TextKind::None, 0, kLine}; }
}  // namespace

TEST(TextBoxFit, ALongerTextWidensIntoFreeRoomElseWrapsAndPushesWhatIsBelow) {
    const Case cases[] = {
        {"a text that fits keeps its rectangle", 1.0f, 300, {{Line(10, 10, 100, 20), "short"}},
         {Line(10, 10, 100, 20)}, 0},
        {"a one-line text widens as far as it needs into free room", 1.0f, 300,
         {{Line(10, 10, 50, 20), "twelve chars"}}, {Line(10, 10, 120, 20)}, 0},
        {"the next control on the row stops it 8 units before; it wraps and what is below moves down", 1.0f, 300,
         {{Line(10, 10, 50, 20), "aaaa bbbb cccc"}, {Other(100, 10, 50, 20), ""}, {Other(10, 40, 100, 20), ""}},
         {Wraps(10, 10, 82, 60), Other(100, 10, 50, 20), Other(10, 80, 100, 20)}, 40},
        {"a wrapping text takes the whole row before it grows taller", 1.0f, 300,
         {{Wraps(10, 10, 100, 20), "aaaa bbbb cccc"}, {Other(10, 40, 100, 20), ""}},
         {Wraps(10, 10, 290, 20), Other(10, 40, 100, 20)}, 0},
        {"a control already past the right edge never narrows", 1.0f, 300, {{Line(250, 10, 80, 20), "aaaaaaaaaa"}},
         {Wraps(250, 10, 80, 20)}, 0},
        {"a framed control at 150 % wraps with half a line of padding", 1.5f, 300,
         {{Line(10, 10, 60, 30, 15), "aaaa bbbb"}, {Other(70, 10, 50, 30), ""}, {Other(10, 45, 50, 20), ""}},
         {Wraps(10, 10, 60, 34, 15), Other(70, 10, 50, 30), Other(10, 49, 50, 20)}, 4},
        {"each wrapped text adds its own height", 1.0f, 120,
         {{Wraps(10, 10, 110, 20), "aaaa bbbb cccc"}, {Wraps(10, 40, 110, 20), "dddd eeee ffff"},
          {Other(10, 70, 50, 20), ""}},
         {Wraps(10, 10, 110, 40), Wraps(10, 60, 110, 40), Other(10, 110, 50, 20)}, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TextBox> boxes;
        for (const Box& b : c.before) {
            boxes.push_back(b.box);
            if (b.text.empty()) boxes.back().kind = TextKind::None;
        }
        const int grown = FitTextBoxes(boxes, c.rightEdge, c.scale, [&](size_t index, int width, bool wrap) {
            return Measure(c.before[index].text, width, wrap);
        });
        EXPECT_EQ(grown, c.grown);
        ASSERT_EQ(boxes.size(), c.after.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            const TextBox& got = boxes[i];
            const TextBox& want = c.after[i];
            EXPECT_EQ(got.x, want.x) << "box " << i;
            EXPECT_EQ(got.y, want.y) << "box " << i;
            EXPECT_EQ(got.width, want.width) << "box " << i;
            EXPECT_EQ(got.height, want.height) << "box " << i;
            EXPECT_EQ(got.kind, want.kind) << "box " << i;
        }
    }
}
