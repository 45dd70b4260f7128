#include "app/user_message.h"

#include <cstdio>

namespace {

void WriteToStandardError(MessageStyle, const char *caption, const char *text) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

MessageSink currentSink = WriteToStandardError;

}  // namespace

void SetMessageSink(MessageSink sink) { currentSink = sink ? sink : WriteToStandardError; }

void ShowUserMessage(MessageStyle style, const char *caption, const char *text) {
    currentSink(style, caption, text);
}
