// What the live window's frame was drawn with besides the values: the
// drawable's size, and whether a resize has set the projection from it.
// Until the first resize the start-up projection stands, drawn into the
// drawable whatever its shape; each resize makes the projection from the
// new size. A recording keeps every change of it at the frame it first
// applies to, so that a replay draws each frame as the live one was.
#pragma once

struct LiveView {
    int width = 0, height = 0;  // a minimised window's may be 0
    bool resized = false;       // the projection is the drawable's own shape

    bool Empty() const { return width <= 0 || height <= 0; }
    bool operator==(const LiveView &other) const {
        return width == other.width && height == other.height && resized == other.resized;
    }
    bool operator!=(const LiveView &other) const { return !(*this == other); }
};
