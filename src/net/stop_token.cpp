#include "net/stop_token.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace quillet {

namespace {
thread_local const std::atomic<bool>* threadStopFlag = nullptr;

// Written once at start and read by every request; atomic so that tests may change it.
std::atomic<std::thread::id> windowThread{};
}  // namespace

void SetThreadStopFlag(const std::atomic<bool>* flag) {
    threadStopFlag = flag;
}

const std::atomic<bool>* ThreadStopFlag() {
    return threadStopFlag;
}

bool StopRequestedOnThisThread() {
    return threadStopFlag != nullptr && threadStopFlag->load(std::memory_order_acquire);
}

void ThrowIfStopRequested() {
    if (StopRequestedOnThisThread()) {
        throw StopRequested{};
    }
}

void SetWindowThreadId(std::thread::id id) {
    windowThread.store(id, std::memory_order_release);
}

bool IsWindowThread() {
    std::thread::id window = windowThread.load(std::memory_order_acquire);
    return window != std::thread::id{} && window == std::this_thread::get_id();
}

void AssertNotWindowThread() {
#ifndef NDEBUG
    if (IsWindowThread()) {
        std::fputs("quillet: a network request was made on the window thread\n", stderr);
        std::abort();
    }
#endif
}

}  // namespace quillet
