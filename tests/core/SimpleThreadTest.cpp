// The fire-and-forget worker: runs its callback once with its argument on a
// thread of its own, survives a throwing callback and frees itself.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

#include "core/SimpleThread.h"

namespace core {
namespace {

TEST(SimpleThreadTest, RunsTheCallbackOnceWithItsArgumentOnAnotherThread) {
    std::promise<std::pair<int32_t, std::thread::id>> done;
    auto result = done.get_future();
    StartThread(42, ThreadPriority::Normal, [&done](int32_t argument) {
        done.set_value({argument, std::this_thread::get_id()});
    });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    const auto [argument, thread] = result.get();
    EXPECT_EQ(argument, 42);
    EXPECT_NE(thread, std::this_thread::get_id());
}

TEST(SimpleThreadTest, AThrowingCallbackEndsOnlyItsThread) {
    std::promise<void> thrown;
    auto result = thrown.get_future();
    StartThread(0, ThreadPriority::Idle, [&thrown](int32_t) {
        thrown.set_value();
        throw std::runtime_error("download failed");
    });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    // A second worker still runs: the process and the thread machinery are fine.
    std::promise<int32_t> second;
    auto next = second.get_future();
    StartThread(7, ThreadPriority::Normal, [&second](int32_t argument) { second.set_value(argument); });
    ASSERT_EQ(next.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(next.get(), 7);
}

}  // namespace
}  // namespace core
