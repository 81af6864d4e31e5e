// 200 sequential GETs of a 30 KB body over loopback, per operation and through a bare libcurl
// easy handle in the same run. Prints each operation's time relative to the bare loop; the
// operations should stay under 1.5 times it.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "../../tests/net/raw_server.h"
#include "net/stop_token.h"
#include "net/web_access.h"

namespace {

using quillet::testing::HttpAnswer;
using quillet::testing::RawServer;

constexpr int kRequests = 200;

std::string page() {
    std::string body = "<html><head><title>item</title></head><body>";
    while (body.size() < 30 * 1024 - 16) {
        body += "<p>row of text</p>";
    }
    body += "</body></html>";
    return body;
}

RawServer& server() {
    static RawServer instance(
        [answer = HttpAnswer("200 OK", "Content-Type: text/html\r\n", page())](
            const quillet::testing::RecordedRequest&, quillet::testing::RawConnection& c) {
            c.send(answer);
            c.keepAlive();
        });
    return instance;
}

size_t collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

void BM_BareCurl(benchmark::State& state) {
    const std::string url = server().url("/item");
    CURL* easy = curl_easy_init();
    std::string body;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            body.clear();
            curl_easy_perform(easy);
            benchmark::DoNotOptimize(body.data());
        }
    }
    curl_easy_cleanup(easy);
}

void BM_Direct(benchmark::State& state) {
    const std::string url = server().url("/item");
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            benchmark::DoNotOptimize(quillet::WebAccessDirect(url));
        }
    }
}

void BM_Object(benchmark::State& state) {
    const std::string url = server().url("/item");
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            benchmark::DoNotOptimize(quillet::WebAccessObject(url));
        }
    }
}

void BM_Inet(benchmark::State& state) {
    const std::string url = server().url("/item");
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            benchmark::DoNotOptimize(quillet::WebAccessInet(url));
        }
    }
}

// How long a stopped job's transfer takes to unwind while a slow body trickles in.
void BM_StopLatency(benchmark::State& state) {
    std::atomic<int> started{0};
    RawServer slow(
        [&](const quillet::testing::RecordedRequest&, quillet::testing::RawConnection& c) {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n");
            ++started;
            for (int i = 0; i < 600 && c.send("x") && c.pause(50); ++i) {
            }
        });
    for (auto _ : state) {
        int before = started;
        std::atomic<bool> stop{false};
        std::chrono::steady_clock::time_point unwoundAt;
        std::thread job([&] {
            quillet::SetThreadStopFlag(&stop);
            try {
                quillet::WebAccessObject(slow.url("/slow"));
            } catch (const quillet::StopRequested&) {
            }
            unwoundAt = std::chrono::steady_clock::now();
        });
        while (started == before) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        auto stoppedAt = std::chrono::steady_clock::now();
        stop = true;
        job.join();
        state.SetIterationTime(std::chrono::duration<double>(unwoundAt - stoppedAt).count());
    }
}

BENCHMARK(BM_BareCurl)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Direct)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Object)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Inet)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StopLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Keeps each benchmark's mean time per iteration so that the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatios() const {
        auto bare = times_.find("BM_BareCurl/min_time:2.000");
        if (bare == times_.end() || bare->second <= 0) {
            return;
        }
        for (const auto& [name, time] : times_) {
            if (name.starts_with("BM_BareCurl") || name.starts_with("BM_StopLatency")) {
                continue;
            }
            std::printf("%-28s %.3f x bare libcurl (%.2f ms per request)\n", name.c_str(),
                        time / bare->second, time / kRequests);
        }
        std::printf("%-28s (%.2f ms per request)\n", "bare libcurl", bare->second / kRequests);
    }

private:
    std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
