// How a message reaches the user, decided here and nowhere else:
// - a box, for what the user must see while the program runs (the graphics
//   set-up's "ERROR" boxes, the sprite loader's "Error" boxes);
// - a line on the standard output, for file output (the screenshot's
//   "wrote file" and "Warning: cannot open" lines);
// - a line on the standard error, naming the program, for why it cannot
//   run at all (no window system, no GL context, a tool's failure).
// The lower layers hand their texts up; only the program's modules call
// these.
#pragma once

#include <string>

#include "io/message_style.h"

// Presents a box; false when it could not be shown.
using MessageSink = bool (*)(MessageStyle style, const char *caption, const char *text);

// Installs the presenter of boxes; nullptr restores the default, which has
// none. A box that cannot be shown goes to the standard error as
// "CAPTION: TEXT".
void SetMessageSink(MessageSink sink);

void ShowUserMessage(MessageStyle style, const char *caption, const char *text);

// What the graphics set-up has to say (a missing extension): an "ERROR"
// box with the warning icon. Made to be handed to InitGraphics.
void ShowGraphicsWarning(const char *text);

// Prints `line` (which ends in its own newline) on the standard output at
// once.
void PrintOutputLine(const std::string &line);

// The name the standard error's lines start with: "Nimbrel" unless a tool
// says otherwise.
void SetProgramName(const char *name);

// Prints "NAME: TEXT" and a newline on the standard error.
void PrintDiagnostic(const std::string &text);
