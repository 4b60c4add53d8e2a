#include "core/SimpleThread.h"

#include <pthread.h>
#include <sched.h>
#include <thread>

namespace core {

TSimpleThread::TSimpleThread(int32_t argument, ThreadPriority priority, Callback callback)
    : argument_(argument), priority_(priority), callback_(std::move(callback)) {}

void TSimpleThread::Run() {
    // Only the idle priority means something to an ordinary Linux process.
    if (priority_ == ThreadPriority::Idle) {
        sched_param param{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    }
    try {
        if (callback_) callback_(argument_);
    } catch (...) {
    }
}

TSimpleThread* TSimpleThread::Start(int32_t argument, ThreadPriority priority, Callback callback) {
    auto* thread = new TSimpleThread(argument, priority, std::move(callback));
    std::thread([thread] {
        thread->Run();
        delete thread;
    }).detach();
    return thread;
}

TSimpleThread* StartThread(int32_t argument, ThreadPriority priority, TSimpleThread::Callback callback) {
    return TSimpleThread::Start(argument, priority, std::move(callback));
}

}  // namespace core
