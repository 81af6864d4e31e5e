#include "search/page_fetcher.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/stop_token.h"
#include "search/search_page.h"

namespace quillet {

namespace {

void fetchInTurn(std::string_view keyword, int pageCount, const SearchPageVisitor& visit) {
    JsonDocument document;
    for (int page = 1; page <= pageCount; ++page) {
        const long long count = fetchSearchPage(keyword, page, document);
        if (!visit(page, document, count)) {
            return;
        }
    }
}

// Helper threads that claim the next page number, fetch it and leave the parsed page for the
// caller, which takes the pages back in order.
class PagesAhead {
public:
    struct Page {
        JsonDocument document;
        long long count = 0;
        bool stopped = false;  // the job was stopped while this page was fetched
        std::exception_ptr error;
    };

    PagesAhead(std::string_view keyword, int pageCount, int helpers)
        : keyword_(keyword), pageCount_(pageCount), helpers_(helpers), lookahead_(2 * helpers) {}

    ~PagesAhead() {
        {
            std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_) {
            t.join();
        }
    }

    PagesAhead(const PagesAhead&) = delete;
    PagesAhead& operator=(const PagesAhead&) = delete;

    void start() {
        const std::atomic<bool>* stopFlag = ThreadStopFlag();
        for (int i = 0; i < helpers_; ++i) {
            threads_.emplace_back([this, stopFlag] { run(stopFlag); });
        }
    }

    // Waits for the page; throws StopRequested once the calling job is stopped.
    Page take(int page) {
        std::unique_lock lock(mutex_);
        auto found = ready_.find(page);
        while (found == ready_.end()) {
            // The helpers wake this on every page; the time limit only bounds how late a stop
            // is noticed should none be fetching.
            changed_.wait_for(lock, std::chrono::milliseconds(50));
            ThrowIfStopRequested();
            found = ready_.find(page);
        }
        Page taken = std::move(found->second);
        ready_.erase(found);
        nextToTake_ = page + 1;
        lock.unlock();
        changed_.notify_all();
        if (taken.error) {
            std::rethrow_exception(taken.error);
        }
        if (taken.stopped) {
            throw StopRequested{};
        }
        return taken;
    }

private:
    void run(const std::atomic<bool>* stopFlag) {
        SetThreadStopFlag(stopFlag);
        while (true) {
            int page = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    return cancelled_ || nextToFetch_ > pageCount_ ||
                           nextToFetch_ < nextToTake_ + lookahead_;
                });
                if (cancelled_ || nextToFetch_ > pageCount_) {
                    return;
                }
                page = nextToFetch_++;
            }
            Page result;
            try {
                result.count = fetchSearchPage(keyword_, page, result.document);
            } catch (const StopRequested&) {
                result.stopped = true;
            } catch (...) {
                result.error = std::current_exception();
            }
            const bool last = result.stopped || result.error;
            {
                std::lock_guard lock(mutex_);
                ready_.emplace(page, std::move(result));
            }
            changed_.notify_all();
            if (last) {
                return;
            }
        }
    }

    const std::string keyword_;
    const int pageCount_;
    const int helpers_;
    const int lookahead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, Page> ready_;
    int nextToFetch_ = 1;
    int nextToTake_ = 1;
    bool cancelled_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace

void ForEachSearchPage(std::string_view keyword, int pageCount, int pagesInFlight,
                       const SearchPageVisitor& visit) {
    if (pageCount < 1) {
        return;
    }
    const int helpers = std::min(pagesInFlight, pageCount);
    if (helpers <= 1) {
        fetchInTurn(keyword, pageCount, visit);
        return;
    }
    PagesAhead pages(keyword, pageCount, helpers);
    pages.start();
    for (int page = 1; page <= pageCount; ++page) {
        PagesAhead::Page taken = pages.take(page);
        if (!visit(page, taken.document, taken.count)) {
            return;
        }
    }
}

}  // namespace quillet
