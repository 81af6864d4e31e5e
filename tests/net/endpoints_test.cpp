#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "net/endpoints.h"
#include "net/stop_token.h"

namespace quillet {
namespace {

class EndpointsTest : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("QUILLET_ENDPOINTS");
        ReloadEndpoints();
    }
};

TEST_F(EndpointsTest, DefaultsNameEveryKey) {
    unsetenv("QUILLET_ENDPOINTS");
    ReloadEndpoints();
    for (const char* key :
         {"mobile_search", "suggest", "taobao_item", "tmall_item", "desktop_search", "taobao_rate",
          "tmall_rate", "lookup_service", "update", "home_page"}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(Endpoint(key).starts_with("http")) << Endpoint(key);
    }
    EXPECT_EQ(Endpoint("tmall_title_domain"), "tmall.com");
    EXPECT_EQ(Endpoint("no_such_key"), "");
}

TEST_F(EndpointsTest, FileReplacesOnlyTheEntriesItNames) {
    auto path = std::filesystem::temp_directory_path() /
                ("quillet_endpoints_" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream out(path);
        out << "# loopback\r\n"
               "\n"
               "suggest = http://suggest.taobao.localhost:8080\r\n"
               "tmall_title_domain=tmall.localhost\n"
               "garbage line without equals\n";
    }
    std::string defaultItem = Endpoint("taobao_item");
    setenv("QUILLET_ENDPOINTS", path.c_str(), 1);
    // Read once: the variable alone changes nothing until the table is reloaded.
    EXPECT_NE(Endpoint("suggest"), "http://suggest.taobao.localhost:8080");
    ReloadEndpoints();
    EXPECT_EQ(Endpoint("suggest"), "http://suggest.taobao.localhost:8080");
    EXPECT_EQ(Endpoint("tmall_title_domain"), "tmall.localhost");
    EXPECT_EQ(Endpoint("taobao_item"), defaultItem);
    std::filesystem::remove(path);
}

TEST(StopToken, FlagBelongsToItsThread) {
    std::atomic<bool> flag{false};
    SetThreadStopFlag(&flag);
    EXPECT_NO_THROW(ThrowIfStopRequested());
    flag = true;
    EXPECT_THROW(ThrowIfStopRequested(), StopRequested);
    bool otherThreadStopped = true;
    std::thread([&] { otherThreadStopped = StopRequestedOnThisThread(); }).join();
    EXPECT_FALSE(otherThreadStopped);
    SetThreadStopFlag(nullptr);
    EXPECT_NO_THROW(ThrowIfStopRequested());
}

TEST(StopToken, WindowThreadIsKnown) {
    SetWindowThreadId(std::this_thread::get_id());
    EXPECT_TRUE(IsWindowThread());
    bool other = true;
    std::thread([&] { other = IsWindowThread(); }).join();
    EXPECT_FALSE(other);
    SetWindowThreadId({});
    EXPECT_FALSE(IsWindowThread());
}

}  // namespace
}  // namespace quillet
