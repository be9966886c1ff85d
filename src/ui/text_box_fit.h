#pragma once
// Where a longer text finds room in a fixed layout: the rule every window with standard controls
// follows, apart from the controls themselves. Rectangles are in design units; the caller measures
// texts in pixels at the layout's scale.
#include <cstddef>
#include <functional>
#include <vector>

enum class TextKind { None, OneLine, Wrapping };

struct TextBox {
    int x, y, width, height;  // design units: as laid out before, fitted after
    TextKind kind;            // OneLine turns into Wrapping when even the widest one line is too short
    int margin;               // pixels the control's frame, box or inner space take from its width
    int lineHeight;           // pixels of one line of its font
};

struct TextExtent {
    int width;
    int height;
};
// The pixels box `index`'s text takes when given `width` pixels, on one line or wrapped.
using MeasureBoxText = std::function<TextExtent(size_t index, int width, bool wrap)>;

// A box whose text does not fit widens up to `rightEdge` or the next box on its row; a text that
// still does not fit wraps, wider before taller: its box grows taller and every box below it moves
// down. A box never narrows, and one whose text fits keeps its rectangle. Returns the design units
// the texts added to the layout's height.
int FitTextBoxes(std::vector<TextBox>& boxes, int rightEdge, float scale, const MeasureBoxText& measure);
