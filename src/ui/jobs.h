#pragma once
// Handlers and workers run as jobs on threads of their own, so the window thread never waits.
// A job carries a stop flag: once set, the job's next request, file write, control update or
// pause unwinds it with StopRequested, which the job wrapper catches.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ui/ui.h"

namespace quillet {

class JobState : public std::enable_shared_from_this<JobState> {
public:
    enum class Kind { Handler, Worker };
    explicit JobState(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }
    bool stopRequested() const { return stop_.load(std::memory_order_acquire); }
    const std::atomic<bool>& stopFlag() const { return stop_; }
    void requestStop();

    // Throws StopRequested once a stop was requested.
    void check() const;
    // Sleeps, waking early on a stop (and then throwing StopRequested).
    void sleepFor(int milliseconds);
    // Waits until ready() holds; a stop wakes the wait and throws. notify() must be called
    // after whatever ready() reads has changed.
    void waitUntil(const std::function<bool()>& ready);
    void notify();

private:
    Kind kind_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

// The job of the calling thread, or nullptr on a thread that is not a job (the window thread).
JobState* CurrentJob();

// Starts and tracks jobs. Every job runs on a thread of its own; finished threads are reaped
// as new jobs start and all are joined by stopAll().
class JobRunner {
public:
    JobRunner() = default;
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Starts the routine as a job; returns its handle (never 0).
    WorkerHandle start(JobState::Kind kind, std::function<void(JobState&)> routine,
                       std::function<void()> onFinished = {});
    // Asks one job to stop; a finished or unknown handle is accepted and nothing happens.
    void stop(WorkerHandle handle);
    bool running(WorkerHandle handle) const;
    // Asks every job to stop and refuses later starts, without waiting.
    void requestStopAll();
    // Stops every job and joins all threads. Later starts are refused (return 0).
    void stopAll();
    // Waits until no job runs (tests).
    void waitIdle();

private:
    struct Entry {
        std::shared_ptr<JobState> state;
        std::thread thread;
        bool finished = false;
    };
    void reapFinishedLocked();

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    std::map<WorkerHandle, Entry> jobs_;
    WorkerHandle nextHandle_ = 1;
    bool closed_ = false;
};

}  // namespace quillet
