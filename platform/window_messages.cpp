// The window's message queue: fixed, merging what only the latest of counts.
#include "platform/window_messages.h"

bool MessageQueue::Post(const WindowMessage &message) {
    if (count_ == kCapacity) return false;
    slots_[(head_ + count_) % kCapacity] = message;
    ++count_;
    return true;
}

namespace {

bool Ending(MessageKind kind) {
    return kind == MessageKind::Quit || kind == MessageKind::Close || kind == MessageKind::Destroy;
}

}  // namespace

bool MessageQueue::PostEvent(const WindowMessage &message) {
    if (Ending(message.kind)) return Post(message);
    if (message.kind == MessageKind::KeyRepeat) {
        for (std::size_t i = count_; i-- > 0;) {
            const WindowMessage &waiting = slots_[(head_ + i) % kCapacity];
            if (waiting.param != message.param) continue;
            if (waiting.kind == MessageKind::KeyUp) break;
            if (waiting.kind == MessageKind::KeyDown || waiting.kind == MessageKind::KeyRepeat) return true;
        }
    }
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

bool MessageQueue::Peek(WindowMessage &message) const {
    if (count_ == 0) return false;
    message = slots_[head_];
    return true;
}

bool MessageQueue::TakeEnding(WindowMessage &message) {
    for (std::size_t i = 0; i < count_; ++i) {
        if (!Ending(slots_[(head_ + i) % kCapacity].kind)) continue;
        message = slots_[(head_ + i) % kCapacity];
        // Close the gap: the messages ahead of it move up by one.
        for (std::size_t j = i; j > 0; --j) slots_[(head_ + j) % kCapacity] = slots_[(head_ + j - 1) % kCapacity];
        head_ = (head_ + 1) % kCapacity;
        --count_;
        return true;
    }
    return false;
}
