#include "app/version_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fake-marketplace/fake_marketplace.h"
#include "fake_ui.h"
#include "net/endpoints.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

TEST(PublishedVersion, ComparesTheTextUpToTheFirstZeroByteExactly) {
    struct Case {
        std::string body;
        bool current;
    } cases[] = {
        {"1.0", true},
        {std::string("1.0\0tail", 8), true},
        {"1.0\n", false},
        {"1.0\r\n", false},
        {"\xEF\xBB\xBF"
         "1.0",
         false},
        {" 1.0", false},
        {"1.1", false},
        {"", false},
        {"<html><body>502 Bad Gateway</body></html>", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionIsCurrent(c.body), c.current) << c.body;
    }
}

class VersionCheck : public ::testing::Test {
protected:
    void SetUp() override {
        file = fs::temp_directory_path() /
               ("quillet-endpoints-" + std::to_string(::getpid()) + ".txt");
    }
    void TearDown() override {
        ::unsetenv("QUILLET_ENDPOINTS");
        ReloadEndpoints();
        fs::remove(file);
    }
    void use(const std::string& endpointsText) {
        std::ofstream(file) << endpointsText;
        ::setenv("QUILLET_ENDPOINTS", file.c_str(), 1);
        ReloadEndpoints();
    }
    fs::path file;
};

TEST_F(VersionCheck, TheSameVersionLetsTheProgramGoOn) {
    fake::FakeMarketplace market;
    use(market.endpointsFileText());
    FakeUi ui;
    CheckVersionAtStart(ui);
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_TRUE(ui.openedAddresses().empty());
    EXPECT_FALSE(ui.ended());
    auto requests = market.requests(fake::kUpdate);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/yz/bb.txt");
    EXPECT_EQ(requests[0].method, "GET");
}

TEST_F(VersionCheck, AnyOtherAnswerSendsTheUserToTheSiteAndEnds) {
    enum class Serve { Text, ErrorPage, NoServer };
    struct Case {
        Serve serve;
        std::string text;
    } cases[] = {
        {Serve::Text, "1.0\n"},
        {Serve::Text, "1.1"},
        {Serve::ErrorPage, ""},
        {Serve::NoServer, ""},
    };
    for (const auto& c : cases) {
        auto market = std::make_unique<fake::FakeMarketplace>();
        if (c.serve == Serve::Text) {
            market->setVersionText(c.text);
        } else if (c.serve == Serve::ErrorPage) {
            fake::Fault fault;
            fault.kind = fake::Fault::Kind::HtmlErrorPage;
            market->setFault(fake::kUpdate, fault);
        }
        use(market->endpointsFileText());
        if (c.serve == Serve::NoServer) {
            market.reset();  // nothing listens on that port any more
        }
        FakeUi ui;
        CheckVersionAtStart(ui);
        auto messages = ui.messages();
        ASSERT_EQ(messages.size(), 1u) << c.text;
        EXPECT_EQ(messages[0].text, "请移步官网下载最新的系统");
        EXPECT_EQ(messages[0].caption, "Velmara电商学院友情提示");
        EXPECT_EQ(messages[0].buttons, 0);
        EXPECT_EQ(ui.openedAddresses(), std::vector<std::string>{Endpoint("home_page")});
        EXPECT_TRUE(ui.ended());
    }
}

}  // namespace
}  // namespace quillet
