// The keyboard's keys as window messages carry them: virtual-key codes,
// by name. A letter's or a digit's code is its upper-case ASCII code ('Q',
// '0'); the others are named here.
#pragma once

#include <cstdint>
#include <string>

using KeyCode = std::uint8_t;

constexpr KeyCode kNoKey = 0x00;
constexpr KeyCode kKeyBackspace = 0x08;
constexpr KeyCode kKeyTab = 0x09;
constexpr KeyCode kKeyReturn = 0x0D;
constexpr KeyCode kKeyShift = 0x10;
constexpr KeyCode kKeyControl = 0x11;
constexpr KeyCode kKeyPause = 0x13;
constexpr KeyCode kKeyCapsLock = 0x14;
constexpr KeyCode kKeyEscape = 0x1B;
constexpr KeyCode kKeySpace = 0x20;
constexpr KeyCode kKeyPageUp = 0x21;
constexpr KeyCode kKeyPageDown = 0x22;
constexpr KeyCode kKeyEnd = 0x23;
constexpr KeyCode kKeyHome = 0x24;
constexpr KeyCode kKeyLeft = 0x25;
constexpr KeyCode kKeyUp = 0x26;
constexpr KeyCode kKeyRight = 0x27;
constexpr KeyCode kKeyDown = 0x28;
constexpr KeyCode kKeyInsert = 0x2D;
constexpr KeyCode kKeyDelete = 0x2E;
// F1 to F12: kKeyF1 + 0 to 11.
constexpr KeyCode kKeyF1 = 0x70;
constexpr KeyCode kKeyF2 = 0x71;
constexpr KeyCode kKeyF3 = 0x72;
constexpr KeyCode kKeyF5 = 0x74;
constexpr KeyCode kKeyF6 = 0x75;
constexpr KeyCode kKeyF7 = 0x76;
constexpr KeyCode kKeyF8 = 0x77;
constexpr KeyCode kKeyF9 = 0x78;
constexpr KeyCode kKeyF11 = 0x7A;
constexpr KeyCode kKeyF12 = 0x7B;

// A key's name as the controls table gives it: "Q", "F7", "Tab".
inline std::string KeyName(KeyCode key) {
    if (key == kKeyTab) return "Tab";
    if (key >= kKeyF1 && key <= kKeyF12) return "F" + std::to_string(key - kKeyF1 + 1);
    return std::string(1, static_cast<char>(key));
}
