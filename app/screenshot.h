// Saving the frame as a picture: the screenshot of Tab.
#pragma once

// Reads back width x height pixels from the lower-left corner of the
// frame and writes them to `path` as a binary PPM (see image/ppm_writer.h),
// printing the writer's line on the standard output. False when nothing
// was written.
bool SaveScreenshot(const char *path, int width, int height);
