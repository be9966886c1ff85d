#include "controls/pad_prompts.h"

#include "texts/texts.h"

namespace {
constexpr std::uint16_t kMicrosoft = 0x045E;
constexpr std::uint16_t kSony = 0x054C;
constexpr std::uint16_t kNintendo = 0x057E;
constexpr std::uint16_t kValve = 0x28DE;  // Steam's virtual pad and the Steam Deck
}  // namespace

PadFamily FamilyOf(int sdlType, std::uint16_t vendor, std::uint16_t) {
    switch (static_cast<SdlPadType>(sdlType)) {
    case SdlPadType::Xbox360:
    case SdlPadType::XboxOne:
        return PadFamily::Xbox;
    case SdlPadType::PS3:
    case SdlPadType::PS4:
    case SdlPadType::PS5:
        return PadFamily::PlayStation;
    case SdlPadType::SwitchPro:
    case SdlPadType::JoyConLeft:
    case SdlPadType::JoyConRight:
    case SdlPadType::JoyConPair:
        return PadFamily::Nintendo;
    case SdlPadType::Unknown:
    case SdlPadType::Virtual:
        break;
    default:
        return PadFamily::Other;  // Luna, Stadia, Shield: their own glyphs, which we do not draw
    }
    switch (vendor) {
    case kMicrosoft:
    case kValve:
        return PadFamily::Xbox;
    case kSony:
        return PadFamily::PlayStation;
    case kNintendo:
        return PadFamily::Nintendo;
    default:
        return PadFamily::Other;
    }
}

PadIds IdsForFamily(PadFamily family) {
    switch (family) {
    case PadFamily::Xbox: return PadIds{kMicrosoft, 0x02EA};       // Xbox One S pad over USB
    case PadFamily::PlayStation: return PadIds{kSony, 0x0CE6};     // DualSense
    case PadFamily::Nintendo: return PadIds{kNintendo, 0x2009};    // Switch Pro Controller
    case PadFamily::Other: break;
    }
    return PadIds{0x1209, 0x0001};  // pid.codes' test id: no family at all
}

FacePosition PositionOf(PadFamily family, SdlFace button) {
    if (family == PadFamily::Nintendo) {
        switch (button) {
        case SdlFace::A: return FacePosition::East;
        case SdlFace::B: return FacePosition::South;
        case SdlFace::X: return FacePosition::North;
        case SdlFace::Y: return FacePosition::West;
        }
    }
    switch (button) {
    case SdlFace::A: return FacePosition::South;
    case SdlFace::B: return FacePosition::East;
    case SdlFace::X: return FacePosition::West;
    case SdlFace::Y: return FacePosition::North;
    }
    return FacePosition::South;
}

ConfirmBack ConfirmBackButtons(bool swap) {
    return swap ? ConfirmBack{SdlFace::B, SdlFace::A} : ConfirmBack{SdlFace::A, SdlFace::B};
}

PromptStyle PromptStyleFor(LastInput last, PadFamily family, int choice) {
    if (last == LastInput::KeyboardMouse) return PromptStyle::Keys;
    switch (choice) {
    case 1: return PromptStyle::Xbox;
    case 2: return PromptStyle::PlayStation;
    case 3: return PromptStyle::Nintendo;
    default: break;
    }
    switch (family) {
    case PadFamily::Xbox: return PromptStyle::Xbox;
    case PadFamily::PlayStation: return PromptStyle::PlayStation;
    case PadFamily::Nintendo: return PromptStyle::Nintendo;
    case PadFamily::Other: break;
    }
    return PromptStyle::Other;
}

PadFamily FamilyOfStyle(PromptStyle style) {
    switch (style) {
    case PromptStyle::Xbox: return PadFamily::Xbox;
    case PromptStyle::PlayStation: return PadFamily::PlayStation;
    case PromptStyle::Nintendo: return PadFamily::Nintendo;
    default: return PadFamily::Other;
    }
}

PromptGlyph FaceGlyph(PromptStyle style, FacePosition position) {
    PromptGlyph glyph;
    glyph.kind = PromptGlyph::Kind::Face;
    glyph.position = position;
    // Letters by position: Xbox's A below, Nintendo's A on the right.
    static constexpr wchar_t kXbox[] = {L'A', L'B', L'X', L'Y'};
    static constexpr wchar_t kNintendo[] = {L'B', L'A', L'Y', L'X'};
    const int at = static_cast<int>(position);
    if (style == PromptStyle::Xbox) glyph.letter = kXbox[at];
    if (style == PromptStyle::Nintendo) glyph.letter = kNintendo[at];
    return glyph;  // PlayStation's shapes and the other pads' dots have no letter
}

std::vector<HintPart> HomeHint(PromptStyle style, bool swap) {
    if (style == PromptStyle::Keys) {
        PromptGlyph arrows, enter;
        arrows.keyName = Text("key.arrows");
        enter.keyName = Text("key.enter");
        return {{arrows, Text("hint.choose")}, {enter, Text("hint.play")}};
    }
    PromptGlyph dpad;
    dpad.kind = PromptGlyph::Kind::DPad;
    const FacePosition confirm = PositionOf(FamilyOfStyle(style), ConfirmBackButtons(swap).confirm);
    return {{dpad, Text("hint.choose")}, {FaceGlyph(style, confirm), Text("hint.play")}};
}

std::vector<HintPart> FolderBrowserHint(PromptStyle style, bool swap) {
    if (style == PromptStyle::Keys) {
        PromptGlyph enter, backspace, space, ctrlEnter;
        enter.keyName = Text("key.enter");
        backspace.keyName = Text("key.backspace");
        space.keyName = Text("key.space");
        ctrlEnter.keyName = Text("key.ctrl_enter");
        return {{enter, Text("hint.open")},
                {backspace, Text("hint.back")},
                {space, Text("hint.choose_highlighted")},
                {ctrlEnter, Text("hint.choose_shown")}};
    }
    const PadFamily family = FamilyOfStyle(style);
    const ConfirmBack meaning = ConfirmBackButtons(swap);
    return {{FaceGlyph(style, PositionOf(family, meaning.confirm)), Text("hint.open")},
            {FaceGlyph(style, PositionOf(family, meaning.back)), Text("hint.back")},
            {FaceGlyph(style, PositionOf(family, SdlFace::X)), Text("hint.choose_highlighted")},
            {FaceGlyph(style, PositionOf(family, SdlFace::Y)), Text("hint.choose_shown")}};
}
