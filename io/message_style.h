// The two kinds of message box the program shows.
#pragma once

enum class MessageStyle {
    // Graphics set-up: caption "ERROR", exclamation icon, no owner.
    Warning,
    // Image loading: caption "Error", an OK button, no icon, owned by the
    // window that has the keyboard focus.
    Plain,
};
