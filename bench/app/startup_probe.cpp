// Start-up to the first paint of MainWindow, and resident memory at idle, whole process.
//
//   startup-probe [runs]   runs itself `runs` times (default 9) as a child process and prints
//                          each run and the medians;
//   startup-probe --child  does what the program's main does (application attributes,
//                          QApplication, MainWindow from its table, show), then reports when
//                          the first paint is done and, after a second of idle, its VmRSS.
//
// The parent takes the monotonic clock just before spawning the child; the child reports the
// same clock once its first paint has finished, so the figure covers exec, dynamic loading,
// Qt start-up, building the widgets and painting them.

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "app/window_table.h"
#include "ui/qt/window_builder.h"

extern char** environ;

namespace {

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

long residentKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

bool webEngineMapped() {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngine");
}

class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            watched->removeEventFilter(this);
            // Runs once this paint (and the flush that follows it) is over.
            QTimer::singleShot(0, [] {
                const long long painted = monotonicNs();
                QTimer::singleShot(1000, [painted] {
                    std::printf("painted_ns=%lld rss_kb=%ld webengine=%d\n", painted, residentKb(),
                                webEngineMapped() ? 1 : 0);
                    std::fflush(stdout);
                    QApplication::quit();
                });
            });
        }
        return false;
    }

private:
    bool seen_ = false;
};

int child(int argc, char** argv) {
    quillet::prepareApplicationAttributes();
    QApplication app(argc, argv);
    QMainWindow* window = quillet::buildWindow(quillet::mainWindowDef());
    FirstPaint probe(window);
    window->show();
    const int status = QApplication::exec();
    delete window;
    return status;
}

struct Run {
    double ms;
    double cpuMs;  // user + system time of the whole child run, including the idle second
    double rssMb;
    int webEngine;
};

bool runOnce(const char* self, Run& run) {
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char childFlag[] = "--child";
    char* args[] = {const_cast<char*>(self), childFlag, nullptr};
    pid_t pid = 0;
    const long long started = monotonicNs();
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return false;
    }
    std::string out;
    char buffer[512];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    long long painted = 0;
    long rss = 0;
    if (std::sscanf(out.c_str(), "painted_ns=%lld rss_kb=%ld webengine=%d", &painted, &rss,
                    &run.webEngine) != 3) {
        return false;
    }
    run.ms = static_cast<double>(painted - started) / 1e6;
    run.rssMb = static_cast<double>(rss) / 1024.0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--child") {
        return child(argc, argv);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<double> times;
    std::vector<double> memory;
    // CPU time does not grow when other processes compete for the cores; wall time does.
    std::vector<double> cpu;
    bool engineSeen = false;
    for (int i = 0; i < runs; ++i) {
        Run run{};
        if (!runOnce("/proc/self/exe", run)) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        std::printf("run %d: first paint %.1f ms, VmRSS %.1f MB, CPU %.1f ms, web engine %s\n",
                    i + 1, run.ms, run.rssMb, run.cpuMs, run.webEngine ? "loaded" : "not loaded");
        cpu.push_back(run.cpuMs);
        times.push_back(run.ms);
        memory.push_back(run.rssMb);
        engineSeen = engineSeen || run.webEngine != 0;
    }
    std::printf(
        "median of %d: first paint %.1f ms (goal < 300), VmRSS %.1f MB (goal < 120), CPU %.1f "
        "ms%s\n",
        runs, median(times), median(memory), median(cpu), engineSeen ? ", WEB ENGINE LOADED" : "");
    return engineSeen ? 1 : 0;
}
