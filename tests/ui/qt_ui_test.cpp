// The UI services over the real Qt window (offscreen): handlers run as jobs, their calls are
// applied on the window thread in order, and the window thread keeps running meanwhile.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "app/context_menus.h"
#include "app/version_check.h"
#include "fake-marketplace/fake_marketplace.h"
#include "net/endpoints.h"
#include "qt_pump.h"
#include "ui/qt/window_builder.h"
#include "ui/qt/window_host.h"

namespace quillet {
namespace {

class QtServices : public ::testing::Test {
protected:
    void start() {
        host = std::make_unique<WindowHost>(events);
        window = host->createMainWindow();
    }
    void TearDown() override {
        if (host) {
            host->shutdown();
        }
        host.reset();
    }
    template <class W>
    W* find(const char* name) {
        return window->findChild<W*>(QString::fromUtf8(name));
    }
    void click(const char* button) { find<QPushButton>(button)->click(); }

    EventTable events;
    std::unique_ptr<WindowHost> host;
    QMainWindow* window = nullptr;
};

TEST_F(QtServices, HandlerRunsOffTheWindowThreadAndItsCallsApplyInOrder) {
    std::atomic<bool> offWindowThread{false};
    const auto windowThread = std::this_thread::get_id();
    events.bind("获取", Event::Clicked, [&](Ui& ui) {
        offWindowThread = std::this_thread::get_id() != windowThread;
        ui.ListClear("超级列表框_排名");
        for (int i = 0; i < 40; ++i) {
            int row = ui.ListAddRow("超级列表框_排名", std::nullopt, std::to_string(i + 1));
            ui.ListSetCell("超级列表框_排名", row, 8, "id" + std::to_string(i));
        }
        ui.SetControlText("编辑框_页数", ui.ListGetCell("超级列表框_排名", 39, 8));
    });
    start();
    auto* list = find<QTreeWidget>("超级列表框_排名");
    click("获取");
    ASSERT_TRUE(pumpUntil([&] { return find<QLineEdit>("编辑框_页数")->text() == "id39"; }));
    EXPECT_TRUE(offWindowThread);
    ASSERT_EQ(list->topLevelItemCount(), 40);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(list->topLevelItem(i)->text(0).toStdString(), std::to_string(i + 1));
    }
}

TEST_F(QtServices, WindowKeepsRunningWhileAHandlerWaitsAndASecondPressIsIgnored) {
    std::atomic<int> runs{0};
    std::atomic<bool> release{false};
    events.bind("获取", Event::Clicked, [&](Ui& ui) {
        ++runs;
        while (!release) {
            ui.PauseProcessingEvents(10);
        }
        ui.SetControlText("编辑框_页数", "done");
    });
    start();
    click("获取");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    ASSERT_TRUE(pumpUntil([&] { return ticks >= 10; }));  // the window thread is not held
    click("获取");
    click("获取");
    release = true;
    ASSERT_TRUE(pumpUntil([&] { return find<QLineEdit>("编辑框_页数")->text() == "done"; }));
    EXPECT_EQ(runs, 1);
    // Once it has finished, the button works again.
    host->jobs().waitIdle();
    release = false;
    click("获取");
    ASSERT_TRUE(pumpUntil([&] { return runs == 2; }));
    release = true;
}

TEST_F(QtServices, AStoppedWorkerMakesNoFurtherControlCall) {
    std::atomic<WorkerHandle> worker{0};
    std::atomic<bool> calling{false};
    std::atomic<bool> go{false};
    events.bind("按钮_下载图片", Event::Clicked, [&](Ui& ui) {
        worker = ui.StartWorker([&](Ui& w) {
            while (!go) {
                w.PauseProcessingEvents(1);
            }
            calling = true;
            w.SetControlText("标签1", "never");  // waits: the window thread is busy
            w.SetControlText("标签1", "never either");
        });
    });
    start();
    click("按钮_下载图片");
    ASSERT_TRUE(pumpUntil([&] { return worker != 0; }));
    // From here the window thread runs no events until the worker has been stopped.
    go = true;
    while (!calling) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    host->endWorker(worker);
    host->jobs().waitIdle();
    pumpUntil([] { return false; }, 50);
    EXPECT_EQ(find<QLabel>("标签1")->text().toStdString(), "主  图：0/0");
}

TEST_F(QtServices, MessageBoxFromAHandlerIsModalAndFromAWorkerIsNot) {
    std::atomic<bool> handlerGoesOn{false};
    events.bind("按钮3", Event::Clicked, [&](Ui& ui) {
        ui.ShowMessage("下个版本更新");
        handlerGoesOn = true;
    });
    events.bind("按钮2", Event::Clicked,
                [&](Ui& ui) { ui.StartWorker([](Ui& w) { w.ShowMessage("无热门标签"); }); });
    start();

    click("按钮3");
    QMessageBox* box = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box != nullptr;
    }));
    EXPECT_EQ(box->windowTitle().toStdString(), "信息：");
    EXPECT_EQ(box->text().toStdString(), "下个版本更新");
    EXPECT_FALSE(handlerGoesOn);
    box->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(pumpUntil([&] { return handlerGoesOn.load(); }));

    click("按钮2");
    QMessageBox* workerBox = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) {
                workerBox = b;
            }
        }
        return workerBox != nullptr;
    }));
    EXPECT_EQ(workerBox->text().toStdString(), "无热门标签");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // the window stays usable
    workerBox->button(QMessageBox::Ok)->click();
}

TEST_F(QtServices, RightClickShowsOnlyTheListsOwnItemAndChoosingItCopies) {
    BindContextMenus(events);
    start();
    auto* tags = find<QTreeWidget>("超级列表框1");
    auto* item = new QTreeWidgetItem(tags);
    item->setText(2, "碎花");
    tags->setCurrentItem(item);

    emit tags->customContextMenuRequested(QPoint(5, 5));
    QMenu* menu = findMenu(window, "关键词联想");
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return menu->isVisible(); }));
    EXPECT_FALSE(findMenuItem(window, "复制关键词")->isVisible());
    EXPECT_TRUE(findMenuItem(window, "复制标签")->isVisible());
    findMenuItem(window, "复制标签")->trigger();
    menu->hide();
    QMessageBox* box = nullptr;
    ASSERT_TRUE(pumpUntil([&] {
        box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        return box != nullptr;
    }));
    EXPECT_EQ(box->text().toStdString(), "已经复制！");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "碎花");
    box->button(QMessageBox::Ok)->click();

    emit find<QTreeWidget>("超级列表框关键词1")->customContextMenuRequested(QPoint(5, 5));
    ASSERT_TRUE(pumpUntil(
        [&] { return menu->isVisible() && findMenuItem(window, "复制关键词")->isVisible(); }));
    EXPECT_FALSE(findMenuItem(window, "复制标签")->isVisible());
    menu->hide();
}

TEST_F(QtServices, OpenItemHandsTheItemAddressToTheBrowser) {
    BindContextMenus(events);
    start();
    std::vector<std::string> opened;
    host->setBrowserOpener([&](const std::string& address) { opened.push_back(address); });
    findMenuItem(window, "打开商品")->trigger();  // nothing selected: an empty ID
    ASSERT_TRUE(pumpUntil([&] { return !opened.empty(); }));
    EXPECT_EQ(opened[0], ItemPageAddress(""));
}

TEST_F(QtServices, ClosingTheWindowStopsRunningJobs) {
    std::atomic<bool> unwound{false};
    std::atomic<bool> started{false};
    events.bind("获取", Event::Clicked, [&](Ui& ui) {
        struct Mark {
            std::atomic<bool>& flag;
            ~Mark() { flag = true; }
        } mark{unwound};
        ui.StartWorker([](Ui& w) { w.PauseProcessingEvents(60'000); });
        started = true;
        ui.PauseProcessingEvents(60'000);
        ui.SetControlText("编辑框_页数", "never");
    });
    start();
    click("获取");
    ASSERT_TRUE(pumpUntil([&] { return started.load(); }));
    window->close();
    pumpUntil([] { return false; }, 50);
    host->shutdown();  // joins: returns only once the handler and the worker have unwound
    EXPECT_TRUE(unwound);
}

TEST_F(QtServices, ANewerPublishedVersionEndsTheProgramAfterTheMessage) {
    fake::FakeMarketplace market;
    market.setVersionText("1.1");
    std::string file =
        (std::filesystem::temp_directory_path() / "quillet-qt-endpoints.txt").string();
    market.writeEndpointsFile(file);
    ::setenv("QUILLET_ENDPOINTS", file.c_str(), 1);
    ReloadEndpoints();

    std::atomic<int> laterRuns{0};
    events.bind("MainWindow", Event::Created, CheckVersionAtStart);
    events.bind("获取", Event::Clicked, [&](Ui&) { ++laterRuns; });
    start();
    std::vector<std::string> opened;
    host->setBrowserOpener([&](const std::string& address) { opened.push_back(address); });
    std::string caption;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle().toStdString();
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start(10);
    QTimer limit;
    QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(2); });
    limit.start(20000);
    EXPECT_EQ(QCoreApplication::exec(), 0);  // the loop ends: the program is over
    EXPECT_EQ(caption, "Velmara电商学院友情提示");
    EXPECT_EQ(opened, std::vector<std::string>{Endpoint("home_page")});
    host->dispatch("获取", Event::Clicked);  // no handler runs afterwards
    host->shutdown();
    EXPECT_EQ(laterRuns, 0);
    ::unsetenv("QUILLET_ENDPOINTS");
    ReloadEndpoints();
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace quillet

int main(int argc, char** argv) {
    quillet::prepareApplicationAttributes();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
