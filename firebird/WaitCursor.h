#pragma once
// Shows the wait cursor through the program's user channel while it lives (nothing when the
// program has no channel).

#include "UserChannel.h"

namespace qd {

class WaitCursor {
public:
    WaitCursor() { set(true); }
    ~WaitCursor() { release(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    // Restores the default cursor now (the destructor then does nothing).
    void release() {
        if (on_) set(false);
    }

private:
    void set(bool on) {
        on_ = on;
        if (UserChannel* channel = UserChannel::current()) channel->waitCursor(on);
    }
    bool on_ = false;
};

} // namespace qd
