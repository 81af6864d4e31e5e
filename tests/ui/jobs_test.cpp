#include "ui/jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace quillet {
namespace {

using namespace std::chrono_literals;

TEST(JobRunner, StopWakesAPausedJobAndUnwindsIt) {
    JobRunner runner;
    std::atomic<bool> passedPause{false};
    std::atomic<bool> unwound{false};
    WorkerHandle handle = runner.start(JobState::Kind::Worker, [&](JobState& job) {
        struct Mark {
            std::atomic<bool>& flag;
            ~Mark() { flag = true; }
        } mark{unwound};
        job.sleepFor(60'000);
        passedPause = true;
    });
    ASSERT_NE(handle, 0u);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(runner.running(handle));
    auto started = std::chrono::steady_clock::now();
    runner.stop(handle);
    runner.waitIdle();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_TRUE(unwound);
    EXPECT_FALSE(passedPause);
    EXPECT_FALSE(runner.running(handle));
}

TEST(JobRunner, StopWakesAJobWaitingForTheWindowThread) {
    JobRunner runner;
    std::atomic<bool> returned{false};
    runner.start(JobState::Kind::Handler, [&](JobState& job) {
        job.waitUntil([] { return false; });  // an answer that never comes
        returned = true;
    });
    std::this_thread::sleep_for(20ms);
    runner.stopAll();
    EXPECT_FALSE(returned);
}

TEST(JobRunner, WaitUntilReturnsOnceNotified) {
    JobRunner runner;
    std::atomic<bool> ready{false};
    std::atomic<bool> done{false};
    std::atomic<JobState*> waiter{nullptr};
    runner.start(JobState::Kind::Handler, [&](JobState& job) {
        waiter = &job;
        job.waitUntil([&] { return ready.load(); });
        done = true;
    });
    while (!waiter) {
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(done);
    ready = true;
    waiter.load()->notify();
    runner.waitIdle();
    EXPECT_TRUE(done);
}

TEST(JobRunner, EndingAFinishedOrUnknownJobDoesNothing) {
    JobRunner runner;
    std::atomic<int> runs{0};
    WorkerHandle handle = runner.start(JobState::Kind::Worker, [&](JobState&) { ++runs; });
    runner.waitIdle();
    runner.stop(handle);
    runner.stop(handle + 100);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(runner.running(handle));
}

TEST(JobRunner, CurrentJobIsSetOnlyInsideJobs) {
    EXPECT_EQ(CurrentJob(), nullptr);
    JobRunner runner;
    std::atomic<JobState*> seen{nullptr};
    std::atomic<bool> isWorker{false};
    runner.start(JobState::Kind::Worker, [&](JobState& job) {
        seen = CurrentJob();
        isWorker = CurrentJob() == &job && job.kind() == JobState::Kind::Worker;
    });
    runner.waitIdle();
    EXPECT_NE(seen.load(), nullptr);
    EXPECT_TRUE(isWorker);
}

TEST(JobRunner, NoJobStartsAfterStopAll) {
    JobRunner runner;
    runner.stopAll();
    EXPECT_EQ(runner.start(JobState::Kind::Worker, [](JobState&) {}), 0u);
}

}  // namespace
}  // namespace quillet
