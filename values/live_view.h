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

// The perspective a frame of `width` x `height` is drawn with for `live`
// (the GL's and the sprite rasterizer's alike): a 45 degree vertical field
// of view out to 100, the aspect and near plane below, and the scale of
// every size in pixels. At the live drawable's own size exactly the live
// projection: until the first resize the start-up 4/3 with its near plane
// of 0.1f, after it the drawable's own shape with a near plane of 0.1. At
// another size the aspect is widened by the frame's shape against the live
// one (a wider frame shows more to the sides) and the sizes in pixels
// scale with height / live.height; `live` must not be empty then.
struct Perspective {
    double aspect = 1.0;
    double zNear = 0.1;
    float pixelScale = 1.0f;
};
constexpr double kFieldOfView = 45.0, kFarPlane = 100.0;

inline Perspective PerspectiveFor(const LiveView &live, int width, int height) {
    Perspective view;
    const bool liveSize = width == live.width && height == live.height;
    if (live.resized) {
        // A zero height gives an infinite aspect, as the live program has
        // it until the next resize.
        view.aspect = static_cast<double>(width) / static_cast<double>(height);
    } else {
        // A square drawable, as the window starts, keeps the arithmetic
        // the capture always had.
        view.aspect = static_cast<double>(1.3333334f);
        if (!liveSize) {
            view.aspect = view.aspect * width / height;
            if (live.width != live.height) view.aspect = view.aspect * live.height / live.width;
        }
        view.zNear = static_cast<double>(0.1f);
    }
    view.pixelScale = liveSize ? 1.0f : static_cast<float>(height) / static_cast<float>(live.height);
    return view;
}
