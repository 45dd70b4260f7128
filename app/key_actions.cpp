#include "app/key_actions.h"

#include "app/window_messages.h"

void ApplyPendingKey() { gInput.keyPending = false; }
