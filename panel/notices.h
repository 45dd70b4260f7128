// Short notices over the smoke: what was saved and where, or what could
// not be. Each shows for a few seconds from the first frame that draws
// it, in the lower-left corner, panel shown or not. They are drawn after
// the screenshot is read back and only by the live program, so no picture
// ever holds one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Notices {
    struct Notice {
        std::string text;
        bool timed = false;      // its time began: it has been drawn
        std::uint32_t since = 0;  // the clock reading of its first frame
    };
    std::vector<Notice> shown;  // the newest last
    std::uint64_t changes = 0;  // one more for every notice told or let go

    static constexpr std::uint32_t kShowMs = 4000;
    static constexpr std::size_t kMost = 4;  // older ones give way

    void Tell(const std::string &text);
    bool Any() const { return !shown.empty(); }
    // Times the new ones from `now` and lets the old ones go.
    void Age(std::uint32_t now);
};

// Draws the notices into the ImGui frame being built, for a drawable
// `width` x `height`.
void BuildNotices(const Notices &notices, int width, int height);
