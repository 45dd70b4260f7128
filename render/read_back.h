// Reading the frame back from the GL: the one read-back every consumer of
// pixels uses (the screenshot, PNG files, the video), rows top-down as
// pictures are stored.
#pragma once

// Reads back width x height pixels of the frame being drawn, from the
// lower-left corner of the viewport, as tightly packed red, green and blue
// bytes, the top row first: 3 x width x height bytes into `rgb`. False,
// with `rgb` unspecified, when the GL reports an error.
bool ReadBackRgb(int width, int height, unsigned char *rgb);

// The size of the frame being drawn: the viewport, the whole drawable.
void FrameSize(int &width, int &height);
