#pragma once
// Which buttons the Launcher shows and which button confirms: pure functions over the
// controller's family, the player's last input and the options, tested without SDL or windows.
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

// A controller's family, by the glyphs on its face buttons.
enum class PadFamily { Xbox, PlayStation, Nintendo, Other };

// SDL's game-controller types (SDL_GameControllerType), by value: the numbering is SDL's ABI.
enum class SdlPadType {
    Unknown = 0, Xbox360 = 1, XboxOne = 2, PS3 = 3, PS4 = 4, SwitchPro = 5, Virtual = 6, PS5 = 7,
    AmazonLuna = 8, GoogleStadia = 9, NvidiaShield = 10, JoyConLeft = 11, JoyConRight = 12, JoyConPair = 13,
};

// The family from SDL's type and, where SDL knows no better (virtual, unknown), the USB vendor id.
// XInput pads and Steam's virtual pad read as Xbox.
PadFamily FamilyOf(int sdlType, std::uint16_t vendor, std::uint16_t product);

// The USB ids a scripted virtual pad of a family presents to SDL, as a real pad of it does.
struct PadIds {
    std::uint16_t vendor;
    std::uint16_t product;
};
PadIds IdsForFamily(PadFamily family);

// Where a face button sits on the pad.
enum class FacePosition { South, East, West, North };
// SDL's face buttons by name.
enum class SdlFace { A, B, X, Y };

// Where SDL's button sits on a pad of the family. SDL names Nintendo pads' buttons by their
// labels: its `a` is the button labelled A, the east one.
FacePosition PositionOf(PadFamily family, SdlFace button);
// The SDL buttons that confirm and go back: `a` and `b`, or the other way round with the swap.
struct ConfirmBack {
    SdlFace confirm;
    SdlFace back;
};
ConfirmBack ConfirmBackButtons(bool swap);

// What the player used last.
enum class LastInput { KeyboardMouse, Controller };
// The glyphs a hint shows: key names, or one family's buttons.
enum class PromptStyle { Keys, Xbox, PlayStation, Nintendo, Other };
// `choice` is the "Button prompts" option: 0 automatic (the pad's own family), else 1 Xbox,
// 2 PlayStation, 3 Nintendo for every controller. After the keyboard or the mouse: key names.
PromptStyle PromptStyleFor(LastInput last, PadFamily family, int choice);

// One glyph of a hint.
struct PromptGlyph {
    enum class Kind { KeyName, Face, DPad } kind = Kind::KeyName;
    std::wstring keyName;                      // Kind::KeyName, in the current language
    FacePosition position = FacePosition::South;  // Kind::Face
    wchar_t letter = 0;                        // Kind::Face of Xbox and Nintendo pads; 0 for shapes and dots
    bool operator==(const PromptGlyph& o) const {
        return kind == o.kind && position == o.position && letter == o.letter &&
               (kind != Kind::KeyName || keyName == o.keyName);
    }
};
// The glyph of a face button at a position for a style (the letter, or the shape / dot).
PromptGlyph FaceGlyph(PromptStyle style, FacePosition position);

// A hint: glyphs each followed by what they do.
struct HintPart {
    PromptGlyph glyph;
    std::wstring action;  // in the current language
};
// The home window's hint: choose a game and play it.
std::vector<HintPart> HomeHint(PromptStyle style, bool swap);
// The folder browser's hint: open, back, choose the highlighted folder, choose the one shown. On
// a pad the last two are the west and north buttons, whatever the swap.
std::vector<HintPart> FolderBrowserHint(PromptStyle style, bool swap);
// The family a prompt style draws (Other for the key names).
PadFamily FamilyOfStyle(PromptStyle style);
