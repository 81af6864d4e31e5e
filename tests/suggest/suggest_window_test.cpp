// Keyword suggestions through the real window (offscreen): the search fills both lists, the
// right-click menus of the two lists each offer only their own item and copy its cell, and the
// hot-tag worker's message leaves the window usable.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "app/context_menus.h"
#include "qt_pump.h"
#include "suggest/handlers.h"
#include "suggest/suggest.h"
#include "suggest_env.h"
#include "ui/qt/window_builder.h"
#include "ui/qt/window_host.h"

namespace quillet {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows rowsOf(QTreeWidget* list) {
    Rows rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        std::vector<std::string> cells;
        for (int c = 0; c < list->columnCount(); ++c) {
            cells.push_back(list->topLevelItem(i)->text(c).toStdString());
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// The visible message box with that text, or nullptr.
QMessageBox* messageBox(const char* text) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->isVisible() && box->text() == QString::fromUtf8(text)) {
            return box;
        }
    }
    return nullptr;
}

class SuggestWindow : public ::testing::Test {
protected:
    void SetUp() override {
        BindSuggestHandlers(events);
        BindContextMenus(events);
        host = std::make_unique<WindowHost>(events);
        window = host->createMainWindow();
        words = find<QTreeWidget>(kSuggestionList);
        tags = find<QTreeWidget>(kHotTagList);
    }
    void TearDown() override {
        host->shutdown();
        host.reset();
    }
    template <class W>
    W* find(const char* name) {
        return window->findChild<W*>(QString::fromUtf8(name));
    }
    void search(const char* keyword) {
        find<QLineEdit>(kSuggestKeywordBox)->setText(QString::fromUtf8(keyword));
        find<QPushButton>(kSuggestButton)->click();
    }
    // Right-clicks the list on a row, checks that the menu offers only `item`, chooses it and
    // returns what reached the clipboard once its message box has been closed.
    std::string copyFrom(QTreeWidget* list, int row, const char* item, const char* otherItem) {
        list->setCurrentItem(list->topLevelItem(row));
        emit list->customContextMenuRequested(QPoint(5, 5));
        QMenu* menu = findMenu(window, "关键词联想");
        EXPECT_TRUE(pumpUntil([&] {
            return menu->isVisible() && findMenuItem(window, item)->isVisible() &&
                   !findMenuItem(window, otherItem)->isVisible();
        })) << item;
        findMenuItem(window, item)->trigger();
        menu->hide();
        QMessageBox* box = nullptr;
        EXPECT_TRUE(pumpUntil([&] { return (box = messageBox("已经复制！")) != nullptr; }));
        if (!box) {
            return {};
        }
        EXPECT_EQ(QApplication::activeModalWidget(), box);  // from a handler: modal
        EXPECT_EQ(box->windowTitle().toStdString(), "信息：");
        std::string copied = QGuiApplication::clipboard()->text().toStdString();
        box->button(QMessageBox::Ok)->click();
        pumpUntil([&] { return messageBox("已经复制！") == nullptr; });
        return copied;
    }

    test::SuggestServer server;
    EventTable events;
    std::unique_ptr<WindowHost> host;
    QMainWindow* window = nullptr;
    QTreeWidget* words = nullptr;
    QTreeWidget* tags = nullptr;
};

TEST_F(SuggestWindow, SearchFillsBothListsAndEachMenuCopiesItsOwnCell) {
    server.market().setSuggestions(
        "手机壳",
        {{{"手机壳", "1234"}, {"手机壳女", "567"}}, {{{"碎花", false}, {"ins风", true}}}, true});
    search("手机壳");
    const Rows wordRows{{"1", "手机壳", "1234"}, {"2", "手机壳女", "567"}};
    const Rows tagRows{{"1", "一般", "碎花"}, {"2", "热搜", "ins风"}};
    pumpUntil([&] { return rowsOf(words) == wordRows && rowsOf(tags) == tagRows; });
    ASSERT_EQ(rowsOf(words), wordRows);
    ASSERT_EQ(rowsOf(tags), tagRows);

    EXPECT_EQ(copyFrom(words, 1, "复制关键词", "复制标签"), "手机壳女");
    EXPECT_EQ(copyFrom(tags, 1, "复制标签", "复制关键词"), "ins风");
    EXPECT_EQ(copyFrom(words, 0, "复制关键词", "复制标签"), "手机壳");
}

TEST_F(SuggestWindow, TheWorkersMessageLeavesTheWindowUsable) {
    server.answerWith(R"(jsonp2122({"result":[["连衣裙","88"]]}))");
    tags->addTopLevelItem(new QTreeWidgetItem(QStringList{"1", "一般", "旧"}));
    search("连衣裙");
    QMessageBox* noTags = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return (noTags = messageBox("无热门标签")) != nullptr; }));
    EXPECT_EQ(noTags->windowTitle().toStdString(), "信息：");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(tags->topLevelItemCount(), 0);

    // With the worker's box still open, the window goes on: the list fills and its menu works.
    const Rows wordRows{{"1", "连衣裙", "88"}};
    pumpUntil([&] { return rowsOf(words) == wordRows; });
    ASSERT_EQ(rowsOf(words), wordRows);
    EXPECT_EQ(copyFrom(words, 0, "复制关键词", "复制标签"), "连衣裙");
    EXPECT_NE(messageBox("无热门标签"), nullptr);
    noTags->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(pumpUntil([&] { return messageBox("无热门标签") == nullptr; }));
}

}  // namespace
}  // namespace quillet

int main(int argc, char** argv) {
    quillet::prepareApplicationAttributes();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
