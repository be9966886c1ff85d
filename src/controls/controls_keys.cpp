#include "controls/controls_keys.h"

#include "controls/sdl_api.h"

namespace {
constexpr LPARAM kExtendedBit = 1 << 24;
constexpr unsigned kRightShiftScanCode = 0x36;

// SDL names the key that types a character only once its video subsystem has filled its key
// map, and the editor never starts that subsystem: then the key is found by its position, the
// PC scan code, which is what SDL's scancodes name whatever the layout prints on the key.
struct KeyPosition {
    unsigned scanCode;
    int scancode;
};
constexpr KeyPosition kCharacterKeyPositions[] = {
    {0x0C, 45}, {0x0D, 46}, {0x1A, 47}, {0x1B, 48}, {0x2B, 49}, {0x27, 51},
    {0x28, 52}, {0x29, 53}, {0x33, 54}, {0x34, 55}, {0x35, 56}, {0x56, 100},
};
}  // namespace

int ScancodeFromKeyPosition(unsigned scanCode) {
    for (const KeyPosition& key : kCharacterKeyPositions) {
        if (key.scanCode == scanCode) return key.scancode;
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
    if (character == 0) return 0;
    const SDL_Scancode named = SDL_GetScancodeFromKey(static_cast<SDL_Keycode>(character));
    if (named != SDL_SCANCODE_UNKNOWN) return static_cast<int>(named);
    unsigned scanCode = (static_cast<unsigned>(lParam) >> 16) & 0xFF;
    if (scanCode == 0) scanCode = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    return ScancodeFromKeyPosition(scanCode);
}
