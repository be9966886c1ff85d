#include "ui/text_box_fit.h"

#include <algorithm>

namespace {
constexpr int kGap = 8;  // design units kept free before the next control on a row

int Scaled(int value, float scale) { return static_cast<int>(static_cast<float>(value) * scale); }
int DesignUnits(int pixels, float scale) { return static_cast<int>(static_cast<float>(pixels) / scale + 0.999f); }
}  // namespace

int FitTextBoxes(std::vector<TextBox>& boxes, int rightEdge, float scale, const MeasureBoxText& measure) {
    int grown = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        TextBox& box = boxes[i];
        if (box.kind == TextKind::None) continue;
        // The widest it may become: the right edge, or the next box on its row.
        int limit = rightEdge;
        for (const TextBox& other : boxes) {
            const bool sameRow = other.y < box.y + box.height && box.y < other.y + other.height;
            if (&other != &box && sameRow && other.x >= box.x + box.width) limit = std::min(limit, other.x - kGap);
        }
        const int widest = std::max(box.width, limit - box.x);
        const int room = Scaled(box.width, scale) - box.margin;
        TextExtent needed = measure(i, room, box.kind == TextKind::Wrapping);
        if (needed.width > room) {
            const int wider = DesignUnits(needed.width + box.margin, scale);
            box.width = std::max(box.width, std::min(wider, widest));
            if (box.kind == TextKind::OneLine && wider > widest) box.kind = TextKind::Wrapping;
            needed = measure(i, Scaled(box.width, scale) - box.margin, box.kind == TextKind::Wrapping);
        }
        const bool wraps = box.kind == TextKind::Wrapping;
        const int padding = wraps && box.margin > 0 ? box.lineHeight / 2 : 0;
        int tall = DesignUnits(needed.height + padding, scale);
        if (wraps && tall > box.height && box.width < widest) {
            // Wider before taller: fewer lines move less of the window.
            box.width = widest;
            needed = measure(i, Scaled(box.width, scale) - box.margin, true);
            tall = DesignUnits(needed.height + padding, scale);
        }
        if (wraps && tall > box.height) {
            const int extra = tall - box.height;
            const int bottom = box.y + box.height;
            box.height = tall;
            for (TextBox& below : boxes) {
                if (&below != &box && below.y >= bottom) below.y += extra;
            }
            grown += extra;
        }
    }
    return grown;
}
