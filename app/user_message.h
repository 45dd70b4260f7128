// Messages the user must see: every box the program shows goes through
// ShowUserMessage, so the application can present it with the window
// system and tests can record it.
#pragma once

enum class MessageStyle {
    // Graphics set-up: caption "ERROR", exclamation icon, no owner.
    Warning,
    // Image loading: caption "Error", an OK button, no icon, owned by the
    // window that has the keyboard focus.
    Plain,
};

using MessageSink = void (*)(MessageStyle style, const char *caption, const char *text);

// Installs the presenter; nullptr restores the default, which writes the
// caption and text to the standard error.
void SetMessageSink(MessageSink sink);

void ShowUserMessage(MessageStyle style, const char *caption, const char *text);
