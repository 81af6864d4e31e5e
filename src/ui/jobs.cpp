#include "ui/jobs.h"

#include <chrono>
#include <vector>

namespace quillet {

namespace {
thread_local JobState* currentJob = nullptr;
}

JobState* CurrentJob() {
    return currentJob;
}

void JobState::requestStop() {
    {
        std::lock_guard lock(mutex_);
        stop_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
}

void JobState::check() const {
    if (stopRequested()) {
        throw StopRequested{};
    }
}

void JobState::sleepFor(int milliseconds) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0),
                   [this] { return stopRequested(); });
    lock.unlock();
    check();
}

void JobState::waitUntil(const std::function<bool()>& ready) {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return stopRequested() || ready(); });
    lock.unlock();
    check();
}

void JobState::notify() {
    // Taking the lock orders the change that ready() reads before the waiter's check.
    { std::lock_guard lock(mutex_); }
    wake_.notify_all();
}

JobRunner::~JobRunner() {
    stopAll();
}

WorkerHandle JobRunner::start(JobState::Kind kind, std::function<void(JobState&)> routine,
                              std::function<void()> onFinished) {
    std::lock_guard lock(mutex_);
    if (closed_) {
        return 0;
    }
    reapFinishedLocked();
    WorkerHandle handle = nextHandle_++;
    auto state = std::make_shared<JobState>(kind);
    Entry& entry = jobs_[handle];
    entry.state = state;
    entry.thread = std::thread(
        [this, handle, state, routine = std::move(routine), onFinished = std::move(onFinished)] {
            currentJob = state.get();
        SetThreadStopFlag(&state->stopFlag());  // transfers of this job abort on its stop
            try {
                routine(*state);
            } catch (const StopRequested&) {
                // The job was stopped; unwinding is all that is left to do.
            }
            currentJob = nullptr;
        SetThreadStopFlag(nullptr);
            if (onFinished) {
                onFinished();
            }
            {
                std::lock_guard lock(mutex_);
                jobs_[handle].finished = true;
            }
            idle_.notify_all();
        });
    return handle;
}

void JobRunner::stop(WorkerHandle handle) {
    std::lock_guard lock(mutex_);
    auto it = jobs_.find(handle);
    if (it != jobs_.end()) {
        it->second.state->requestStop();
    }
}

bool JobRunner::running(WorkerHandle handle) const {
    std::lock_guard lock(mutex_);
    auto it = jobs_.find(handle);
    return it != jobs_.end() && !it->second.finished;
}

void JobRunner::requestStopAll() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (auto& [handle, entry] : jobs_) {
        entry.state->requestStop();
    }
}

void JobRunner::stopAll() {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        for (auto& [handle, entry] : jobs_) {
            entry.state->requestStop();
        }
    }
    // Threads finishing now still take the lock to mark themselves, so join outside it.
    for (;;) {
        std::thread thread;
        {
            std::lock_guard lock(mutex_);
            for (auto& [handle, entry] : jobs_) {
                if (entry.thread.joinable()) {
                    thread = std::move(entry.thread);
                    break;
                }
            }
        }
        if (!thread.joinable()) {
            break;
        }
        thread.join();
    }
    std::lock_guard lock(mutex_);
    jobs_.clear();
}

void JobRunner::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] {
        for (auto& [handle, entry] : jobs_) {
            if (!entry.finished) {
                return false;
            }
        }
        return true;
    });
}

void JobRunner::reapFinishedLocked() {
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        if (it->second.finished) {
            if (it->second.thread.joinable()) {
                it->second.thread.join();
            }
            it = jobs_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace quillet
