#pragma once
// A fake marketplace on loopback with every endpoint pointed at it, for the suggestion tests.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fake-marketplace/fake_marketplace.h"
#include "net/endpoints.h"

namespace quillet::test {

class SuggestServer {
public:
    SuggestServer() : market_(options()) {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quillet-suggest-" + std::to_string(::getpid()) + "-" +
                   std::to_string(market_.port()));
        std::filesystem::create_directories(folder_);
        const auto file = folder_ / "endpoints.txt";
        market_.writeEndpointsFile(file);
        ::setenv("QUILLET_ENDPOINTS", file.c_str(), 1);
        ReloadEndpoints();
    }
    ~SuggestServer() {
        ::unsetenv("QUILLET_ENDPOINTS");
        ReloadEndpoints();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    fake::FakeMarketplace& market() { return market_; }

    // Every suggestion request is answered with this JSONP text, as the endpoint sends it.
    void answerWith(const std::string& body) {
        market_.setHandler(fake::kSuggest, [body](const fake::LoggedRequest&) {
            return std::optional<fake::Answer>(
                fake::Answer{200, "text/javascript;charset=UTF-8", body, {}});
        });
    }

private:
    static fake::Options options() {
        fake::Options o;
        o.httpsEndpoints = true;
        return o;
    }

    fake::FakeMarketplace market_;
    std::filesystem::path folder_;
};

}  // namespace quillet::test
