#pragma once
// How a job's stop reaches the transfers without the network layer knowing about the UI: the
// job runner hands the job's stop flag to its thread, and every request checks it (also while a
// transfer runs, so a stopped job's download is abandoned within a tenth of a second).

#include <atomic>
#include <thread>

namespace quillet {

// Thrown inside a job or worker once it has been asked to stop; the job wrapper catches it.
struct StopRequested {};

// The stop flag of the job running on the calling thread; nullptr (the default) for none.
void SetThreadStopFlag(const std::atomic<bool>* flag);
const std::atomic<bool>* ThreadStopFlag();

// True once the calling thread's job has been asked to stop.
bool StopRequestedOnThisThread();
// Throws StopRequested once the calling thread's job has been asked to stop.
void ThrowIfStopRequested();

// The window thread must never wait on the network. The application names it at start; in
// debug builds a request made from it aborts the program.
void SetWindowThreadId(std::thread::id id);
bool IsWindowThread();
void AssertNotWindowThread();

}  // namespace quillet
