// Runs each piece of utility work on a thread of its own and hands the completion back to
// the main loop. Any thread may own it; dispatch is called on the main thread.
#pragma once

#include "platform/WorkQueue.h"

namespace pellora {

class ThreadWorkQueue final : public WorkQueue {
public:
    void dispatch(std::function<void()> work, std::function<void()> completion) override;
};

}  // namespace pellora
