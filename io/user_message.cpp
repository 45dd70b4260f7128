#include "io/user_message.h"

#include <cstdio>

namespace {

MessageSink currentSink = nullptr;
const char *programName = "Nimbrel";

}  // namespace

void SetMessageSink(MessageSink sink) { currentSink = sink; }

void ShowUserMessage(MessageStyle style, const char *caption, const char *text) {
    if (!currentSink || !currentSink(style, caption, text)) std::fprintf(stderr, "%s: %s\n", caption, text);
}

void ShowGraphicsWarning(const char *text) { ShowUserMessage(MessageStyle::Warning, "ERROR", text); }

void PrintOutputLine(const std::string &line) {
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

void SetProgramName(const char *name) { programName = name; }

void PrintDiagnostic(const std::string &text) { std::fprintf(stderr, "%s: %s\n", programName, text.c_str()); }
