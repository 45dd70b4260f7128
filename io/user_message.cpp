// How a message reaches the user: a box, the standard output or error.
#include "io/user_message.h"

#include <cstdio>

namespace {

// Who presents the boxes, and who the standard error's lines are from.
struct Messages {
    MessageSink sink = nullptr;
    const char *programName = "Nimbrel";
} messages;

}  // namespace

void SetMessageSink(MessageSink sink) { messages.sink = sink; }

void ShowUserMessage(MessageStyle style, const char *caption, const char *text) {
    if (!messages.sink || !messages.sink(style, caption, text)) std::fprintf(stderr, "%s: %s\n", caption, text);
}

void ShowGraphicsWarning(const char *text) { ShowUserMessage(MessageStyle::Warning, "ERROR", text); }

void PrintOutputLine(const std::string &line) {
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

void SetProgramName(const char *name) { messages.programName = name; }

void PrintDiagnostic(const std::string &text) {
    std::fprintf(stderr, "%s: %s\n", messages.programName, text.c_str());
}
