#pragma once
// The window thread's side of the UI services. It owns the windows and the jobs, turns widget
// signals into events of the event table, and carries out each job's UI call on the window
// thread while the job waits. The window thread itself never waits, sleeps or nests a loop.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <type_traits>
#include <utility>

#include "ui/event_table.h"
#include "ui/jobs.h"

class QMainWindow;

namespace quillet {

class WindowHost : public QObject {
public:
    explicit WindowHost(const EventTable& events, QObject* parent = nullptr);
    ~WindowHost() override;

    // Builds MainWindow, shows it and raises its created event once the loop runs.
    QMainWindow* createMainWindow();
    QMainWindow* mainWindow() const { return main_; }
    QWidget* imageBrowserWindow() const { return browser_; }

    // Raises an event: starts its handler as a job unless that handler is still running.
    void dispatch(const std::string& control, Event event);

    // The widget of a control name ("ImageBrowserWindow/…" for the second window, a window's
    // own name for the window); nullptr when unknown.
    QWidget* widget(const std::string& name) const;
    // Builds (or rebuilds) ImageBrowserWindow and shows it, owned by `owner`.
    void openImageBrowser(QWidget* owner);

    // Runs f on the window thread and returns its result; the calling job waits, and a stop
    // wakes it with StopRequested. A call queued by a stopped job is dropped, not applied.
    template <class F>
    auto call(JobState& job, F f) -> std::invoke_result_t<F>;
    // Runs start(done) on the window thread and waits until done(value) is called there.
    template <class R>
    R await(JobState& job, std::function<void(std::function<void(R)>)> start);

    // How an address reaches the user's browser; tests replace it.
    void setBrowserOpener(std::function<void(const std::string&)> opener);
    void openInBrowser(const std::string& address);

    WorkerHandle startWorker(Routine routine);
    void endWorker(WorkerHandle handle) { jobs_.stop(handle); }
    // Stops every job; no handler runs afterwards; closes the windows and leaves the loop.
    void endProgram();
    // Stops and joins every job (after the loop has ended).
    void shutdown();
    JobRunner& jobs() { return jobs_; }
    const EventTable& events() const { return events_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void wire(QWidget* window, const std::string& prefix);
    void startJob(JobState::Kind kind, Routine routine, std::function<void()> onFinished = {});

    const EventTable& events_;
    JobRunner jobs_;
    QMainWindow* main_ = nullptr;
    QPointer<QWidget> browser_;
    std::mutex runningMutex_;
    std::set<std::pair<std::string, Event>> running_;
    std::function<void(const std::string&)> opener_;
    std::atomic<bool> ending_{false};
};

namespace detail {
template <class R>
struct CallSlot {
    std::atomic<bool> done{false};
    R value{};
};
struct Unit {};
}  // namespace detail

template <class F>
auto WindowHost::call(JobState& job, F f) -> std::invoke_result_t<F> {
    using R = std::invoke_result_t<F>;
    using Stored = std::conditional_t<std::is_void_v<R>, detail::Unit, R>;
    job.check();
    auto self = job.shared_from_this();
    auto slot = std::make_shared<detail::CallSlot<Stored>>();
    QMetaObject::invokeMethod(
        this,
        [self, slot, f = std::move(f)]() mutable {
            if (self->stopRequested()) {
                return;  // a stopped job makes no further control update
            }
            if constexpr (std::is_void_v<R>) {
                f();
            } else {
                slot->value = f();
            }
            slot->done.store(true, std::memory_order_release);
            self->notify();
        },
        Qt::QueuedConnection);
    job.waitUntil([&] { return slot->done.load(std::memory_order_acquire); });
    if constexpr (!std::is_void_v<R>) {
        return std::move(slot->value);
    }
}

template <class R>
R WindowHost::await(JobState& job, std::function<void(std::function<void(R)>)> start) {
    job.check();
    auto self = job.shared_from_this();
    auto slot = std::make_shared<detail::CallSlot<R>>();
    QMetaObject::invokeMethod(
        this,
        [self, slot, start = std::move(start)] {
            if (self->stopRequested()) {
                return;
            }
            start([self, slot](R value) {
                if (slot->done.load(std::memory_order_acquire)) {
                    return;
                }
                slot->value = std::move(value);
                slot->done.store(true, std::memory_order_release);
                self->notify();
            });
        },
        Qt::QueuedConnection);
    job.waitUntil([&] { return slot->done.load(std::memory_order_acquire); });
    return std::move(slot->value);
}

}  // namespace quillet
