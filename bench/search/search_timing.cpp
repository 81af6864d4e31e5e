// Times the search tab through the real window (offscreen) against the fake marketplace with
// 300 ms of latency per search page:
//   1. wall time of a 10-page ranking list, one page after the other and with the pages
//      fetched ahead, and their ratio;
//   2. the longest stall of the window thread's event loop during a 10-page rank finder scan,
//      alone and while a ranking list fills rows at the same time.
// A stall is the longest gap between two ticks of a 1 ms timer on the window thread.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fake-marketplace/fake_marketplace.h"
#include "net/endpoints.h"
#include "search/handlers.h"
#include "ui/qt/window_builder.h"
#include "ui/qt/window_host.h"

namespace {

using namespace quillet;

constexpr int kPages = 10;
constexpr int kRows = kPages * 20;  // the fake answers full pages for any keyword

struct Loop {
    double seconds = 0;
    double longestGapMs = 0;
};

// Runs the window thread's event loop until done() holds, ticking a 1 ms timer.
Loop runUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    Loop result;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        result.longestGapMs = std::max(result.longestGapMs, (now - last) / 1e6);
        last = now;
        if (done()) {
            loop.quit();
        }
    });
    tick.start(1);
    loop.exec();
    result.seconds = clock.nsecsElapsed() / 1e9;
    return result;
}

template <class W>
W* find(QMainWindow* window, const char* name) {
    return window->findChild<W*>(QString::fromUtf8(name));
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    fake::FakeMarketplace market;
    market.setLatency(fake::kMobileSearch, std::chrono::milliseconds(300));
    const auto endpoints = std::filesystem::temp_directory_path() /
                           ("quillet-search-timing-" + std::to_string(::getpid()) + ".txt");
    market.writeEndpointsFile(endpoints);
    setenv("QUILLET_ENDPOINTS", endpoints.c_str(), 1);
    ReloadEndpoints();

    prepareApplicationAttributes();
    QApplication app(argc, argv);
    std::atomic<int> inFlight{kListPagesInFlight};
    EventTable events;
    events.bind("获取", Event::Clicked, [&](Ui& ui) { FillRankingList(ui, inFlight); });
    events.bind("获取2", Event::Clicked, RankFinderHandler);
    WindowHost host(events);
    QMainWindow* window = host.createMainWindow();
    runUntil([n = 0]() mutable { return ++n > 50; });  // let the window settle
    {
        // The first message box of a process loads its style and icons (about 100 ms here);
        // that is no part of a scan.
        QMessageBox warmUp(QMessageBox::NoIcon, "", "", QMessageBox::Ok, window);
        warmUp.show();
        runUntil([n = 0]() mutable { return ++n > 20; });
    }

    auto* list = find<QTreeWidget>(window, "超级列表框_排名");
    auto listDone = [&] {
        return list->topLevelItemCount() == kRows &&
               !list->topLevelItem(kRows - 1)->text(9).isEmpty();
    };
    find<QLineEdit>(window, "编辑框_关键词")->setText(QString::fromUtf8("连衣裙"));
    find<QLineEdit>(window, "编辑框_页数")->setText(QString::number(kPages));
    find<QLineEdit>(window, "编辑框_关键词pm")->setText(QString::fromUtf8("连衣裙"));
    find<QLineEdit>(window, "编辑框_id")->setText("0");  // never found: all 10 pages
    auto* rankingButton = find<QPushButton>(window, "获取");
    auto* finderButton = find<QPushButton>(window, "获取2");

    std::printf("search-timing: %d pages, 300 ms latency per page, %d runs each\n", kPages, runs);

    double medians[2] = {0, 0};
    for (int mode = 0; mode < 2; ++mode) {
        inFlight = mode == 0 ? 1 : kListPagesInFlight;
        std::vector<double> times;
        double longest = 0;
        for (int r = 0; r < runs; ++r) {
            list->clear();
            rankingButton->click();
            const Loop loop = runUntil(listDone);
            host.jobs().waitIdle();
            times.push_back(loop.seconds);
            longest = std::max(longest, loop.longestGapMs);
        }
        medians[mode] = median(times);
        std::printf(
            "ranking list, %d in flight: median %.3f s (min %.3f, max %.3f); "
            "longest loop gap %.1f ms\n",
            inFlight.load(), medians[mode], *std::min_element(times.begin(), times.end()),
            *std::max_element(times.begin(), times.end()), longest);
    }
    std::printf("ranking list speed-up: %.2fx\n", medians[0] / medians[1]);

    auto scan = [&](bool withList) {
        inFlight = kListPagesInFlight;
        std::vector<double> gaps;
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            list->clear();
            finderButton->click();
            if (withList) {
                rankingButton->click();
            }
            const Loop loop = runUntil([] {
                return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            });
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            box->button(QMessageBox::Ok)->click();
            if (withList) {
                runUntil(listDone);
            }
            runUntil([n = 0]() mutable { return ++n > 5; });
            host.jobs().waitIdle();
            gaps.push_back(loop.longestGapMs);
            times.push_back(loop.seconds);
        }
        std::printf("rank finder scan%s: %.3f s; longest loop gap median %.1f ms, worst %.1f ms\n",
                    withList ? " while the ranking list fills" : " alone", median(times),
                    median(gaps), *std::max_element(gaps.begin(), gaps.end()));
    };
    scan(false);
    scan(true);

    host.shutdown();
    std::filesystem::remove(endpoints);
    return 0;
}
