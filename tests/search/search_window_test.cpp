// The search tab through the real window (offscreen) against the fake marketplace: typing,
// clicking, rows arriving, the context menu on a row, and the window staying live meanwhile.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/context_menus.h"
#include "fake-marketplace/fake_marketplace.h"
#include "net/endpoints.h"
#include "qt_pump.h"
#include "search/handlers.h"
#include "ui/qt/window_builder.h"
#include "ui/qt/window_host.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

std::vector<fake::SearchItem> page(const std::string& prefix, int n) {
    std::vector<fake::SearchItem> items;
    for (int i = 1; i <= n; ++i) {
        fake::SearchItem s;
        s.itemNumId = prefix + std::to_string(i);
        s.title = "标题" + *s.itemNumId;
        s.commentCount = "3";
        s.isB2c = "0";
        s.isP4p = "false";
        items.push_back(s);
    }
    return items;
}

class SearchWindow : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("quillet-search-window-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        market.writeEndpointsFile(dir / "endpoints.txt");
        setenv("QUILLET_ENDPOINTS", (dir / "endpoints.txt").c_str(), 1);
        ReloadEndpoints();
        BindSearchHandlers(events);
        BindContextMenus(events);
        host = std::make_unique<WindowHost>(events);
        window = host->createMainWindow();
        host->setBrowserOpener([this](const std::string& address) { opened.push_back(address); });
    }
    void TearDown() override {
        host->shutdown();
        host.reset();
        unsetenv("QUILLET_ENDPOINTS");
        ReloadEndpoints();
        fs::remove_all(dir);
    }
    template <class W>
    W* find(const char* name) {
        W* w = window->findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void type(const char* box, const char* text) {
        find<QLineEdit>(box)->setText(QString::fromUtf8(text));
    }
    void click(const char* button) { find<QPushButton>(button)->click(); }
    std::size_t searches() const { return market.requests(fake::kMobileSearch).size(); }

    fs::path dir;
    fake::FakeMarketplace market;
    EventTable events;
    std::unique_ptr<WindowHost> host;
    QMainWindow* window = nullptr;
    std::vector<std::string> opened;
};

TEST_F(SearchWindow, RowsArriveAndARightClickOpensTheSelectedItem) {
    market.setSearchPages(
        "连衣裙", std::vector<std::vector<fake::SearchItem>>{page("1000", 20), page("2000", 18)});
    type("编辑框_关键词", "连衣裙");
    type("编辑框_页数", "2");
    click("获取");
    auto* list = find<QTreeWidget>("超级列表框_排名");
    ASSERT_TRUE(pumpUntil([&] {
        return list->topLevelItemCount() == 38 && list->topLevelItem(37)->text(8) == "200018";
    }));
    EXPECT_EQ(list->topLevelItem(20)->text(0).toStdString(), "21");
    EXPECT_EQ(list->topLevelItem(20)->text(1).toStdString(), "标题20001");

    list->setCurrentItem(list->topLevelItem(24));
    emit list->customContextMenuRequested(QPoint(5, 5));
    QMenu* menu = findMenu(window, "手机综合查询");
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return menu->isVisible(); }));
    findMenuItem(window, "打开商品")->trigger();
    menu->hide();
    ASSERT_TRUE(pumpUntil([&] { return !opened.empty(); }));
    EXPECT_EQ(opened[0], market.itemPageUrl("20005", false));
}

TEST_F(SearchWindow, WindowStaysLiveDuringAScanAndASecondPressIsIgnored) {
    market.setLatency(fake::kMobileSearch, std::chrono::milliseconds(150));
    type("编辑框_关键词pm", "无此商品");
    type("编辑框_id", "1");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    click("获取2");
    ASSERT_TRUE(pumpUntil([&] { return searches() >= 1; }));
    click("获取2");
    click("获取2");
    // The loop goes on while pages are still being fetched: timers fire, tabs switch.
    const int ticksBefore = ticks;
    auto* tabs = find<QTabWidget>("高级选择夹1");
    tabs->setCurrentIndex(5);
    ASSERT_TRUE(pumpUntil([&] { return ticks >= ticksBefore + 20; }));
    EXPECT_LT(searches(), 10u);
    EXPECT_EQ(tabs->currentIndex(), 5);

    QMessageBox* box = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box != nullptr;
    }));
    EXPECT_EQ(box->text().toStdString(), "手机前10屏没有找到亲的商品！");
    box->button(QMessageBox::Ok)->click();
    host->jobs().waitIdle();
    EXPECT_EQ(searches(), 10u);  // one scan: the presses while it ran were ignored
}

TEST_F(SearchWindow, ClosingTheWindowStopsAListWithRequestsInFlight) {
    market.setLatency(fake::kMobileSearch, std::chrono::seconds(20));
    type("编辑框_关键词", "慢");
    type("编辑框_页数", "10");
    click("获取");
    ASSERT_TRUE(pumpUntil([&] { return searches() >= 4; }));
    window->close();
    pumpUntil([] { return false; }, 50);
    const auto start = std::chrono::steady_clock::now();
    host->shutdown();  // joins the handler, which joins its helpers
    const auto took = std::chrono::steady_clock::now() - start;
    // Without the stop reaching the helpers this would wait for the 20-second answers.
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_EQ(searches(), 4u);
}

}  // namespace
}  // namespace quillet

int main(int argc, char** argv) {
    quillet::prepareApplicationAttributes();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
