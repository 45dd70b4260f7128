// The window's messages and their queue, in plain code: the window-system
// layer translates its events into these messages, and tests post scripted
// ones. The handler that acts on them is the program's (app/window_handler.h).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum class MessageKind : std::uint8_t {
    None,
    Size,            // param: client width (low 16 bits), height (high 16 bits)
    Close,
    Destroy,
    KeyDown,         // param: virtual-key code; a fresh press
    KeyRepeat,       // param: virtual-key code; a key-down from the keyboard's auto-repeat
    KeyUp,           // param: virtual-key code
    MouseMove,       // param: x (low 16 bits), y (high 16 bits), signed: a drag may leave the window
    LeftButtonDown,  // param: position, packed as for MouseMove
    LeftButtonUp,
    Quit,            // param: exit code
    Wheel,           // param: the wheel's notches, signed (as std::int32_t), up or away positive
    Text,            // param: a typed character, only while text input is on: printable
                     // ASCII, or kNotAsciiCharacter for any other
    Other,           // anything the handler leaves to the default handling
};

// A typed character beyond ASCII: U+FFFD, the replacement character.
constexpr std::uint32_t kNotAsciiCharacter = 0xFFFD;

struct WindowMessage {
    MessageKind kind = MessageKind::None;
    std::uint32_t param = 0;
};

// Packs two 16-bit values the way size and mouse messages carry them.
inline std::uint32_t PackLowHigh(int low, int high) {
    return (static_cast<std::uint32_t>(low) & 0xFFFFu) |
           ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16);
}
// A size's halves, unsigned.
inline int SizeWidth(std::uint32_t param) { return static_cast<int>(param & 0xFFFFu); }
inline int SizeHeight(std::uint32_t param) { return static_cast<int>(param >> 16); }
// A position's halves, signed: left of or above the window is negative,
// so that a drag that leaves the window turns the view by what it moved.
inline int PositionX(std::uint32_t param) { return static_cast<std::int16_t>(param & 0xFFFFu); }
inline int PositionY(std::uint32_t param) { return static_cast<std::int16_t>(param >> 16); }

// A first-in first-out queue of fixed capacity; nothing is allocated.
class MessageQueue {
public:
    static constexpr std::size_t kCapacity = 1024;
    // Room kept for quit messages, which must never be lost.
    static constexpr std::size_t kReserved = 8;

    bool Post(const WindowMessage &message);
    // Posts an event from the window system without flooding the loop,
    // which takes one message per frame: a mouse move, size change or
    // message left to the default handling replaces one of its own kind
    // waiting at the tail, as the handler needs only the latest of these,
    // and an auto-repeat of a key whose key-down or repeat still waits
    // (with no key-up of that key after it) merges into it. Nothing else
    // merges, so the order of events and a drag's total turn stay the
    // same. Quit, close and destroy messages use the room kept for them.
    // False when the queue has no room.
    bool PostEvent(const WindowMessage &message);
    bool Take(WindowMessage &message);
    // The message Take would take next, left waiting. False when none waits.
    bool Peek(WindowMessage &message) const;
    // Takes the first waiting quit, close or destroy message, wherever it
    // waits, leaving the others in their order. False when none waits.
    bool TakeEnding(WindowMessage &message);
    // Whether an event from the window system may still be queued.
    bool HasRoomForEvent() const { return count_ + kReserved < kCapacity; }
    bool Empty() const { return count_ == 0; }
    void Clear() { head_ = count_ = 0; }

private:
    std::array<WindowMessage, kCapacity> slots_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};
