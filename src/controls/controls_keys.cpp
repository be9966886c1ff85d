#include "controls/controls_keys.h"

#include "controls/sdl_api.h"

namespace {
constexpr LPARAM kExtendedBit = 1 << 24;
constexpr unsigned kRightShiftScanCode = 0x36;

// SDL answers the character-to-scancode question only after its video subsystem has started,
// which the editor never starts. These are the keys of the punctuation characters in the
// standard (US) arrangement, the one SDL itself starts from; the scancode names the key's
// position, whatever the layout prints on it.
struct CharacterKey {
    unsigned character;
    int scancode;
};
constexpr CharacterKey kPunctuationKeys[] = {
    {'-', 45}, {'=', 46}, {'[', 47}, {']', 48}, {'\\', 49}, {';', 51},
    {'\'', 52}, {'`', 53}, {',', 54}, {'.', 55}, {'/', 56},
};
}  // namespace

int ScancodeFromCharacter(unsigned character) {
    const SDL_Scancode known = SDL_GetScancodeFromKey(static_cast<SDL_Keycode>(character));
    if (known != SDL_SCANCODE_UNKNOWN) return static_cast<int>(known);
    for (const CharacterKey& key : kPunctuationKeys) {
        if (key.character == character) return key.scancode;
    }
    return 0;
}

int ScancodeFromKeyMessage(WPARAM virtualKey, LPARAM lParam) {
    const bool extended = (lParam & kExtendedBit) != 0;
    const UINT vk = static_cast<UINT>(virtualKey);
    switch (vk) {
    case VK_BACK: return 42;
    case VK_TAB: return 43;
    case VK_RETURN: return extended ? 88 : 40;
    case VK_SHIFT: return ((static_cast<unsigned>(lParam) >> 16) & 0xFF) == kRightShiftScanCode ? 229 : 225;
    case VK_CONTROL: return extended ? 228 : 224;
    case VK_MENU: return extended ? 230 : 226;
    case VK_ESCAPE: return 41;
    case VK_SPACE: return 44;
    case VK_PRIOR: return 75;
    case VK_NEXT: return 78;
    case VK_END: return 77;
    case VK_HOME: return 74;
    case VK_LEFT: return 80;
    case VK_UP: return 82;
    case VK_RIGHT: return 79;
    case VK_DOWN: return 81;
    case VK_INSERT: return 73;
    case VK_DELETE: return 76;
    case 0x30: return 39;
    case VK_NUMPAD0: return 98;
    case VK_MULTIPLY: return 85;
    case VK_ADD: return 87;
    case VK_SUBTRACT: return 86;
    case VK_DECIMAL: return 99;
    case VK_DIVIDE: return 84;
    default: break;
    }
    if (vk >= 0x31 && vk <= 0x39) return static_cast<int>(vk) - 19;
    if (vk >= 0x41 && vk <= 0x5A) return static_cast<int>(vk) - 61;
    if (vk >= VK_NUMPAD1 && vk <= VK_NUMPAD9) return static_cast<int>(vk) - 8;
    if (vk >= VK_F1 && vk <= VK_F12) return static_cast<int>(vk) - 54;
    const UINT character = MapVirtualKeyW(vk, MAPVK_VK_TO_CHAR) & 0x7FFFFFFFu;  // drop the dead-key bit
    return character == 0 ? 0 : ScancodeFromCharacter(character);
}
