// The fake marketplace as a program, for the demo and the benchmarks:
//   fake-marketplace --port N --endpoints-file PATH [--latency-ms N] [--log FILE] [--https]
//                    [--seed N] [--certificate-file PATH]
// It prints "listening on PORT" once it answers, and runs until SIGTERM or SIGINT.

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstdlib>

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "fake-marketplace/fake_marketplace.h"

namespace {

int usage(const char* message) {
    std::cerr << "fake-marketplace: " << message << "\n"
              << "usage: fake-marketplace --port N --endpoints-file PATH [--latency-ms N] "
                 "[--log FILE] [--https] [--seed N] [--certificate-file PATH]\n";
    return 2;
}

bool number(const char* text, long long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && out >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    quillet::fake::Options options;
    // Only the log file is read from outside; an in-memory copy would grow for the whole run.
    options.keepLogInMemory = false;
    std::string endpointsFile;
    std::string certificateFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long long n = 0;
        if (arg == "--https") {
            options.httpsEndpoints = true;
        } else if (!hasValue) {
            return usage(("missing value or unknown option: " + arg).c_str());
        } else if (arg == "--port") {
            if (!number(argv[++i], n) || n > 65535) {
                return usage("--port needs a number from 0 to 65535");
            }
            options.port = static_cast<int>(n);
        } else if (arg == "--endpoints-file") {
            endpointsFile = argv[++i];
        } else if (arg == "--latency-ms") {
            if (!number(argv[++i], n)) {
                return usage("--latency-ms needs a number");
            }
            options.latency = std::chrono::milliseconds(n);
        } else if (arg == "--log") {
            options.logFile = argv[++i];
        } else if (arg == "--seed") {
            if (!number(argv[++i], n)) {
                return usage("--seed needs a number");
            }
            options.seed = static_cast<std::uint64_t>(n);
        } else if (arg == "--certificate-file") {
            certificateFile = argv[++i];
        } else {
            return usage(("unknown option: " + arg).c_str());
        }
    }
    if (endpointsFile.empty()) {
        return usage("--endpoints-file is required");
    }

    // Block the stop signals before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        quillet::fake::FakeMarketplace server(options);
        server.writeEndpointsFile(endpointsFile);
        if (!certificateFile.empty()) {
            std::ofstream(certificateFile, std::ios::binary | std::ios::trunc)
                << server.certificatePem();
        }
        std::cout << "listening on " << server.port() << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
    } catch (const std::exception& e) {
        std::cerr << "fake-marketplace: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
