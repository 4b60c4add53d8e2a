#pragma once
// A fire-and-forget worker: runs one callback with one integer on its own
// thread and frees itself when the callback returns.

#include <cstdint>
#include <functional>

namespace core {

enum class ThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest };

class TSimpleThread {
public:
    using Callback = std::function<void(int32_t)>;

    // Starts at once; the thread object belongs to the running thread, which
    // deletes it after the callback. Exceptions escaping the callback are
    // swallowed: the callback owns its errors.
    static TSimpleThread* Start(int32_t argument, ThreadPriority priority, Callback callback);

    int32_t Argument() const { return argument_; }
    ThreadPriority Priority() const { return priority_; }

private:
    TSimpleThread(int32_t argument, ThreadPriority priority, Callback callback);
    void Run();

    int32_t argument_;
    ThreadPriority priority_;
    Callback callback_;
};

// Starts a self-freeing TSimpleThread. The caller must not keep the result
// beyond the call: the thread may already have ended and freed itself.
TSimpleThread* StartThread(int32_t argument, ThreadPriority priority, TSimpleThread::Callback callback);

}  // namespace core
