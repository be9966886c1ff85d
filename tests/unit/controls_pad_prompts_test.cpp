// The player's controller as the Launcher reads it: its family from SDL's type and USB ids, which
// button confirms for each family with and without the swap, and the glyphs the home hint shows
// for the last input, the family and the "Button prompts" option.
#include <gtest/gtest.h>

#include "controls/pad_prompts.h"
#include "controls/pad_script.h"

namespace {
const char* Name(PadFamily f) {
    switch (f) {
    case PadFamily::Xbox: return "Xbox";
    case PadFamily::PlayStation: return "PlayStation";
    case PadFamily::Nintendo: return "Nintendo";
    case PadFamily::Other: return "other";
    }
    return "?";
}
}  // namespace

TEST(PadPrompts, FamilyComesFromSdlsTypeAndElseFromTheVendor) {
    const struct {
        SdlPadType type;
        std::uint16_t vendor, product;
        PadFamily family;
    } cases[] = {
        {SdlPadType::Xbox360, 0x045E, 0x028E, PadFamily::Xbox},
        {SdlPadType::XboxOne, 0x045E, 0x0B12, PadFamily::Xbox},
        {SdlPadType::XboxOne, 0x0000, 0x0000, PadFamily::Xbox},  // an XInput pad has no ids
        {SdlPadType::PS3, 0x054C, 0x0268, PadFamily::PlayStation},
        {SdlPadType::PS4, 0x054C, 0x09CC, PadFamily::PlayStation},
        {SdlPadType::PS5, 0x054C, 0x0CE6, PadFamily::PlayStation},
        {SdlPadType::SwitchPro, 0x057E, 0x2009, PadFamily::Nintendo},
        {SdlPadType::JoyConPair, 0x057E, 0x200E, PadFamily::Nintendo},
        {SdlPadType::JoyConLeft, 0x057E, 0x2006, PadFamily::Nintendo},
        {SdlPadType::Virtual, 0x28DE, 0x11FF, PadFamily::Xbox},  // Steam's virtual pad telling nothing more
        {SdlPadType::Unknown, 0x054C, 0x05C4, PadFamily::PlayStation},
        {SdlPadType::Virtual, 0x057E, 0x2009, PadFamily::Nintendo},
        {SdlPadType::Virtual, 0x0000, 0x0000, PadFamily::Other},
        {SdlPadType::Unknown, 0x1209, 0x0001, PadFamily::Other},
        {SdlPadType::GoogleStadia, 0x18D1, 0x9400, PadFamily::Other},
        {SdlPadType::NvidiaShield, 0x0955, 0x7214, PadFamily::Other},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(Name(FamilyOf(static_cast<int>(c.type), c.vendor, c.product)), Name(c.family))
            << "type " << static_cast<int>(c.type) << " vendor " << std::hex << c.vendor;
    }
    // The scripted pad's ids read back as their family.
    for (PadFamily f : {PadFamily::Xbox, PadFamily::PlayStation, PadFamily::Nintendo, PadFamily::Other}) {
        const PadIds ids = IdsForFamily(f);
        EXPECT_STREQ(Name(FamilyOf(static_cast<int>(SdlPadType::Virtual), ids.vendor, ids.product)), Name(f));
    }
}

TEST(PadPrompts, ConfirmAndBackSitWhereEachFamilyExpectsAndTheSwapTradesThem) {
    using P = FacePosition;
    const struct {
        PadFamily family;
        bool swap;
        P confirm, back;
    } cases[] = {
        {PadFamily::Xbox, false, P::South, P::East},        {PadFamily::Xbox, true, P::East, P::South},
        {PadFamily::PlayStation, false, P::South, P::East}, {PadFamily::PlayStation, true, P::East, P::South},
        {PadFamily::Nintendo, false, P::East, P::South},    {PadFamily::Nintendo, true, P::South, P::East},
        {PadFamily::Other, false, P::South, P::East},       {PadFamily::Other, true, P::East, P::South},
    };
    for (const auto& c : cases) {
        const ConfirmBack buttons = ConfirmBackButtons(c.swap);
        EXPECT_EQ(PositionOf(c.family, buttons.confirm), c.confirm) << Name(c.family) << " swap " << c.swap;
        EXPECT_EQ(PositionOf(c.family, buttons.back), c.back) << Name(c.family) << " swap " << c.swap;
    }
    EXPECT_EQ(static_cast<int>(ConfirmBackButtons(false).confirm), 0) << "SDL's `a` is button 0";
    EXPECT_EQ(static_cast<int>(ConfirmBackButtons(true).confirm), 1) << "SDL's `b` is button 1";
}

TEST(PadPrompts, HomeHintShowsTheLastInputsGlyphsWithTheButtonThatConfirms) {
    using K = PromptGlyph::Kind;
    using P = FacePosition;
    const struct {
        LastInput last;
        PadFamily family;
        int choice;  // "Button prompts": 0 automatic, 1 Xbox, 2 PlayStation, 3 Nintendo
        bool swap;
        PromptStyle style;
        K playKind;
        P playPosition;
        wchar_t playLetter;
    } cases[] = {
        {LastInput::KeyboardMouse, PadFamily::PlayStation, 0, false, PromptStyle::Keys, K::KeyName, P::South, 0},
        {LastInput::KeyboardMouse, PadFamily::Xbox, 2, true, PromptStyle::Keys, K::KeyName, P::South, 0},
        {LastInput::Controller, PadFamily::Xbox, 0, false, PromptStyle::Xbox, K::Face, P::South, L'A'},
        {LastInput::Controller, PadFamily::Xbox, 0, true, PromptStyle::Xbox, K::Face, P::East, L'B'},
        {LastInput::Controller, PadFamily::PlayStation, 0, false, PromptStyle::PlayStation, K::Face, P::South, 0},
        {LastInput::Controller, PadFamily::PlayStation, 0, true, PromptStyle::PlayStation, K::Face, P::East, 0},
        {LastInput::Controller, PadFamily::Nintendo, 0, false, PromptStyle::Nintendo, K::Face, P::East, L'A'},
        {LastInput::Controller, PadFamily::Nintendo, 0, true, PromptStyle::Nintendo, K::Face, P::South, L'B'},
        {LastInput::Controller, PadFamily::Other, 0, false, PromptStyle::Other, K::Face, P::South, 0},
        {LastInput::Controller, PadFamily::Other, 0, true, PromptStyle::Other, K::Face, P::East, 0},
        {LastInput::Controller, PadFamily::Xbox, 2, false, PromptStyle::PlayStation, K::Face, P::South, 0},
        {LastInput::Controller, PadFamily::PlayStation, 3, false, PromptStyle::Nintendo, K::Face, P::East, L'A'},
        {LastInput::Controller, PadFamily::Other, 1, true, PromptStyle::Xbox, K::Face, P::East, L'B'},
    };
    for (const auto& c : cases) {
        const PromptStyle style = PromptStyleFor(c.last, c.family, c.choice);
        const std::string label = std::string(c.last == LastInput::Controller ? "pad " : "keys ") + Name(c.family) +
                                  " choice " + std::to_string(c.choice) + " swap " + std::to_string(c.swap);
        EXPECT_EQ(style, c.style) << label;
        const std::vector<HintPart> hint = HomeHint(style, c.swap);
        ASSERT_EQ(hint.size(), 2u) << label;
        EXPECT_STREQ(hint[0].action.c_str(), L"choose");
        EXPECT_STREQ(hint[1].action.c_str(), L"play");
        EXPECT_EQ(hint[0].glyph.kind, c.playKind == K::KeyName ? K::KeyName : K::DPad) << label;
        EXPECT_EQ(hint[1].glyph.kind, c.playKind) << label;
        if (c.playKind == K::KeyName) {
            EXPECT_STREQ(hint[0].glyph.keyName.c_str(), L"Arrow keys");
            EXPECT_STREQ(hint[1].glyph.keyName.c_str(), L"Enter");
        } else {
            EXPECT_EQ(hint[1].glyph.position, c.playPosition) << label;
            EXPECT_EQ(hint[1].glyph.letter, c.playLetter) << label;
        }
    }
}

TEST(PadPrompts, FolderBrowserHintNamesOpenBackAndBothChoicesForEachStyle) {
    using P = FacePosition;
    const wchar_t* const actions[] = {L"open", L"back", L"choose", L"choose this folder"};
    const struct {
        PromptStyle style;
        bool swap;
        P positions[4];   // open, back, choose, choose this folder
        wchar_t letters[4];
    } cases[] = {
        {PromptStyle::Xbox, false, {P::South, P::East, P::West, P::North}, {L'A', L'B', L'X', L'Y'}},
        {PromptStyle::Xbox, true, {P::East, P::South, P::West, P::North}, {L'B', L'A', L'X', L'Y'}},
        {PromptStyle::PlayStation, false, {P::South, P::East, P::West, P::North}, {0, 0, 0, 0}},
        // SDL names Nintendo buttons by label: its `x` is the north X, its `y` the west Y.
        {PromptStyle::Nintendo, false, {P::East, P::South, P::North, P::West}, {L'A', L'B', L'X', L'Y'}},
        {PromptStyle::Nintendo, true, {P::South, P::East, P::North, P::West}, {L'B', L'A', L'X', L'Y'}},
        {PromptStyle::Other, true, {P::East, P::South, P::West, P::North}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const std::vector<HintPart> hint = FolderBrowserHint(c.style, c.swap);
        ASSERT_EQ(hint.size(), 4u);
        for (size_t i = 0; i < 4; ++i) {
            const std::string label = "style " + std::to_string(static_cast<int>(c.style)) + " swap " +
                                      std::to_string(c.swap) + " part " + std::to_string(i);
            EXPECT_STREQ(hint[i].action.c_str(), actions[i]) << label;
            EXPECT_EQ(hint[i].glyph.kind, PromptGlyph::Kind::Face) << label;
            EXPECT_EQ(hint[i].glyph.position, c.positions[i]) << label;
            EXPECT_EQ(hint[i].glyph.letter, c.letters[i]) << label;
        }
    }
    const std::vector<HintPart> keys = FolderBrowserHint(PromptStyle::Keys, true);
    const wchar_t* const names[] = {L"Enter", L"Backspace", L"Space", L"Ctrl+Enter"};
    ASSERT_EQ(keys.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_STREQ(keys[i].glyph.keyName.c_str(), names[i]) << "the swap changes no key";
        EXPECT_STREQ(keys[i].action.c_str(), actions[i]);
    }
}

TEST(PadScriptLines, FamilyLinesChooseEachControllersIdsAndBadOnesAreNamed) {
    const PadScript script = ParsePadScript(L"family playstation\nwait 10\nfamily 2:nintendo\ntap a\n");
    ASSERT_EQ(script.errorLine, 0);
    EXPECT_EQ(script.steps.size(), 4u) << "a family line is no step";
    EXPECT_TRUE(script.familyGiven[0] && script.familyGiven[1]);
    EXPECT_EQ(script.family[0], PadFamily::PlayStation);
    EXPECT_EQ(script.family[1], PadFamily::Nintendo);
    EXPECT_FALSE(ParsePadScript(L"tap a\n").familyGiven[0]);

    const std::pair<const wchar_t*, int> bad[] = {
        {L"family\n", 1}, {L"family sega\n", 1}, {L"wait 5\nfamily 3:xbox\n", 2}, {L"family xbox other\n", 1},
        {L"family Xbox\n", 1},
    };
    for (const auto& [text, line] : bad) {
        const PadScript parsed = ParsePadScript(text);
        EXPECT_EQ(parsed.errorLine, line) << testing::PrintToString(std::wstring(text));
        EXPECT_FALSE(parsed.familyGiven[0] || parsed.familyGiven[1]);
    }
}
