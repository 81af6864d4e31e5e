// The worker toggle, workers and the list services, on the in-memory UI.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fake_ui.h"

namespace quillet {
namespace {

using namespace std::chrono_literals;

TEST(WorkerToggle, ThreePressCycle) {
    EventTable events;
    std::atomic<int> runs{0};
    WorkerHandle handle = 0;
    events.bind("按钮_下载图片", Event::Clicked, [&](Ui& ui) {
        ToggleWorker(ui, "按钮_下载图片", "下载图片", "停止下载", handle, [&](Ui&) { ++runs; });
    });
    FakeUi ui(&events);

    ui.click("按钮_下载图片");
    ui.waitForWorkers();  // the job ends by itself and leaves the stop caption
    EXPECT_EQ(ui.GetControlText("按钮_下载图片"), "停止下载");
    EXPECT_EQ(runs, 1);

    ui.click("按钮_下载图片");  // only restores the start caption
    ui.waitForWorkers();
    EXPECT_EQ(ui.GetControlText("按钮_下载图片"), "下载图片");
    EXPECT_EQ(runs, 1);

    ui.click("按钮_下载图片");  // starts a new job
    ui.waitForWorkers();
    EXPECT_EQ(runs, 2);
}

TEST(Workers, AStoppedWorkerMakesNoFurtherControlCall) {
    FakeUi ui;
    std::atomic<bool> paused{false};
    WorkerHandle handle = ui.StartWorker([&](Ui& w) {
        w.SetControlText("进度", "1");
        paused = true;
        w.PauseProcessingEvents(60'000);
        w.SetControlText("进度", "2");
    });
    while (!paused) {
        std::this_thread::sleep_for(1ms);
    }
    ui.EndWorker(handle);
    ui.waitForWorkers();
    EXPECT_EQ(ui.GetControlText("进度"), "1");
    ui.EndWorker(handle);  // a finished worker: nothing happens
}

TEST(Workers, MessagesFromAWorkerAreMarkedAsSuch) {
    FakeUi ui;
    ui.ShowMessage("a");
    ui.StartWorker([](Ui& w) { w.ShowMessage("无热门标签"); });
    ui.waitForWorkers();
    auto messages = ui.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_FALSE(messages[0].fromWorker);
    EXPECT_TRUE(messages[1].fromWorker);
    EXPECT_EQ(messages[1].caption, "信息：");
}

TEST(ListServices, MissingRowsAndColumnsAreHarmless) {
    FakeUi ui;
    const std::string list = "超级列表框_排名";
    EXPECT_EQ(ui.ListSelectedRow(list), -1);
    EXPECT_EQ(ui.ListGetCell(list, -1, 0), "");
    int row = ui.ListAddRow(list, std::nullopt, std::string("1"));
    ui.ListSetCell(list, row, 10, "no such column");
    ui.ListSetCell(list, 5, 1, "no such row");
    EXPECT_EQ(ui.ListGetCell(list, row, 0), "1");
    EXPECT_EQ(ui.ListGetCell(list, row, 10), "");
    EXPECT_EQ(ui.ListAddRow(list, 0, std::string("0")), 0);  // inserted on top
    EXPECT_EQ(ui.ListGetCell(list, 1, 0), "1");
}

TEST(FakeUiNames, AnUnknownControlFailsLoudly) {
    FakeUi ui;
    EXPECT_THROW(ui.GetControlText("编辑框_不存在"), std::logic_error);
    EXPECT_THROW(ui.ListClear("获取"), std::logic_error);  // a button is not a list
    EXPECT_NO_THROW(ui.GetControlText("ImageBrowserWindow/图片框1"));
    EXPECT_EQ(ui.GetControlText("MainWindow"), "Velmara淘宝Quillet综合信息查询系统V1.0");
}

TEST(Pictures, EmptyBytesClearThePicture) {
    FakeUi ui;
    ui.SetPictureBytes("图片框1", "GIF89a...");
    EXPECT_EQ(ui.GetPictureBytes("图片框1"), "GIF89a...");
    ui.SetPictureBytes("图片框1", "");
    EXPECT_EQ(ui.GetPictureBytes("图片框1"), "");
}

}  // namespace
}  // namespace quillet
