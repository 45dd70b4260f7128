#include "platform/window_messages.h"

bool MessageQueue::Post(const WindowMessage &message) {
    if (count_ == kCapacity) return false;
    slots_[(head_ + count_) % kCapacity] = message;
    ++count_;
    return true;
}

bool MessageQueue::PostEvent(const WindowMessage &message) {
    const bool latestOnly = message.kind == MessageKind::MouseMove ||
                            message.kind == MessageKind::Size || message.kind == MessageKind::Other;
    if (latestOnly && count_ > 0) {
        WindowMessage &tail = slots_[(head_ + count_ - 1) % kCapacity];
        if (tail.kind == message.kind) {
            tail.param = message.param;
            return true;
        }
    }
    return HasRoomForEvent() && Post(message);
}

bool MessageQueue::Take(WindowMessage &message) {
    if (count_ == 0) return false;
    message = slots_[head_];
    head_ = (head_ + 1) % kCapacity;
    --count_;
    return true;
}
