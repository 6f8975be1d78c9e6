// Runs utility work inline, so unit tests over virtual time see no real threads.
// Counts the dispatches.
#pragma once

#include "platform/WorkQueue.h"

namespace pellora {

class FakeWorkQueue final : public WorkQueue {
public:
    int dispatches = 0;
    void dispatch(std::function<void()> work, std::function<void()> completion) override {
        ++dispatches;
        work();
        completion();
    }
};

}  // namespace pellora
