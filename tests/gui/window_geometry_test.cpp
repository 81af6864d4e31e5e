// MainWindow and ImageBrowserWindow as built from their tables: every control checked against
// its table row (class, container, geometry, text, visibility), plus lists, combo, tab pages and
// menus.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <memory>

#include "app/window_table.h"
#include "chart/qt/curve_chart_view.h"
#include "ui/qt/browser_box.h"
#include "ui/qt/list_view.h"
#include "ui/qt/picture_box.h"
#include "ui/qt/window_builder.h"

namespace quillet {
namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool hasKind(QWidget* w, ControlKind kind) {
    switch (kind) {
        case ControlKind::TabControl:
            return qobject_cast<QTabWidget*>(w) != nullptr;
        case ControlKind::Button:
            return qobject_cast<QPushButton*>(w) != nullptr;
        case ControlKind::EditBox:
            return qobject_cast<QLineEdit*>(w) != nullptr;
        case ControlKind::Label:
        case ControlKind::TransparentLabel:
            return qobject_cast<QLabel*>(w) != nullptr;
        case ControlKind::GroupBox:
            return qobject_cast<QGroupBox*>(w) != nullptr;
        case ControlKind::PictureBox:
            return qobject_cast<PictureBox*>(w) != nullptr;
        case ControlKind::ListView:
            return qobject_cast<ListView*>(w) != nullptr;
        case ControlKind::ComboBox:
            return qobject_cast<QComboBox*>(w) != nullptr;
        case ControlKind::CurveChart:
            return qobject_cast<CurveChartView*>(w) != nullptr;
        case ControlKind::WebBrowser:
            return qobject_cast<BrowserBox*>(w) != nullptr;
    }
    return false;
}

// The text a control shows, by kind.
QString shownText(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        return b->text();
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        return e->text();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        return g->title();
    }
    return QString();
}

class WindowFromTable : public ::testing::TestWithParam<const WindowDef*> {
protected:
    void SetUp() override {
        def = GetParam();
        window.reset(buildWindow(*def));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The widget a control's container names: a tab page, a box, or the client area.
    QWidget* containerOf(const ControlDef& c) {
        if (c.container.empty()) {
            return window->centralWidget();
        }
        QWidget* box = window->findChild<QWidget*>(qs(c.container));
        if (auto* tab = qobject_cast<QTabWidget*>(box)) {
            return tab->widget(c.page);
        }
        return box;
    }

    const WindowDef* def = nullptr;
    std::unique_ptr<QMainWindow> window;
};

TEST_P(WindowFromTable, WindowHasItsNameTitleAndOuterGeometry) {
    EXPECT_EQ(window->objectName(), qs(def->name));
    EXPECT_EQ(window->windowTitle(), qs(def->title));
    // Offscreen there is no frame: the outer geometry is the client geometry.
    EXPECT_EQ(window->frameGeometry(), QRect(def->x, def->y, def->width, def->height));
}

TEST_P(WindowFromTable, EveryControlMatchesItsRow) {
    for (const ControlDef& c : def->controls) {
        SCOPED_TRACE(qPrintable(qs(c.name)));
        const QList<QWidget*> found = window->findChildren<QWidget*>(qs(c.name));
        ASSERT_EQ(found.size(), 1);
        QWidget* w = found.first();
        EXPECT_TRUE(hasKind(w, c.kind));
        QWidget* container = containerOf(c);
        ASSERT_NE(container, nullptr);
        EXPECT_EQ(w->parentWidget(), container);
        EXPECT_EQ(w->geometry(), QRect(c.x, c.y, c.width, c.height));
        EXPECT_EQ(w->isHidden(), !c.visible);
        if (c.kind != ControlKind::TabControl && c.kind != ControlKind::ComboBox) {
            EXPECT_EQ(shownText(w), qs(c.text));
        }
        if (c.kind == ControlKind::TransparentLabel) {
            EXPECT_FALSE(w->autoFillBackground());
        }
    }
}

TEST_P(WindowFromTable, ListsHaveTheirColumnsFirstLeftOthersCentred) {
    for (const ControlDef& c : def->controls) {
        if (c.kind != ControlKind::ListView) {
            continue;
        }
        SCOPED_TRACE(qPrintable(qs(c.name)));
        auto* list = window->findChild<ListView*>(qs(c.name));
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->rootIsDecorated());
        EXPECT_EQ(list->topLevelItemCount(), 0);
        ASSERT_EQ(list->columnCount(), static_cast<int>(c.columns.size()));
        const int row = list->addRow(-1, "x");
        for (int i = 0; i < list->columnCount(); ++i) {
            EXPECT_EQ(list->headerItem()->text(i), qs(c.columns[i].title));
            EXPECT_EQ(list->columnWidth(i), c.columns[i].width);
            const Qt::Alignment horizontal = i == 0 ? Qt::AlignLeft : Qt::AlignHCenter;
            EXPECT_EQ(list->headerItem()->textAlignment(i) & Qt::AlignHorizontal_Mask, horizontal);
            EXPECT_EQ(list->topLevelItem(row)->textAlignment(i) & Qt::AlignHorizontal_Mask,
                      horizontal);
        }
    }
}

TEST_P(WindowFromTable, NoMenuBarShows) {
    EXPECT_EQ(window->menuWidget(), nullptr);
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        EXPECT_FALSE(bar->isVisible());
    }
    for (const MenuDef& m : def->menus) {
        QMenu* menu = findMenu(window.get(), qs(m.caption));
        ASSERT_NE(menu, nullptr);
        EXPECT_FALSE(menu->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(BothWindows, WindowFromTable,
                         ::testing::Values(&mainWindowDef(), &imageBrowserWindowDef()),
                         [](const auto& info) { return std::string(info.param->name); });

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.reset(buildWindow(mainWindowDef()));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        tabs = window->findChild<QTabWidget*>("高级选择夹1");
        ASSERT_NE(tabs, nullptr);
    }

    QWidget* control(const char* name) { return window->findChild<QWidget*>(name); }

    std::unique_ptr<QMainWindow> window;
    QTabWidget* tabs = nullptr;
};

TEST_F(MainWindowTest, TenPagesInOrderFirstCurrent) {
    const ControlDef* def = mainWindowDef().find("高级选择夹1");
    ASSERT_NE(def, nullptr);
    ASSERT_EQ(tabs->count(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(tabs->tabText(i), qs(def->entries[i]));
        EXPECT_EQ(tabs->widget(i)->objectName(), QStringLiteral("高级选择夹1/%1").arg(i));
    }
    EXPECT_EQ(tabs->tabText(9), "VIP功能");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(tabs->widget(9)->children().isEmpty());
}

TEST_F(MainWindowTest, PagesShareTheTabControlsOriginAfterLayout) {
    // A control at page (x, y) sits at (x, y) from the tab control's corner, tab strip included.
    for (int i : {0, 8}) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        EXPECT_EQ(tabs->widget(i)->mapTo(tabs, QPoint(0, 0)), QPoint(0, 0));
        EXPECT_EQ(tabs->widget(i)->size(), tabs->size());
    }
    // The tab strip still takes the clicks on the tabs.
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(3).center());
    EXPECT_EQ(tabs->currentIndex(), 3);
}

TEST_F(MainWindowTest, ComboHasItsEntriesAndNoneChosen) {
    auto* combo = qobject_cast<QComboBox*>(control("组合框周期"));
    ASSERT_NE(combo, nullptr);
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i) {
        entries << combo->itemText(i);
    }
    EXPECT_EQ(entries, QStringList({"一周", "二周", "三周", "四周"}));
    EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_F(MainWindowTest, HiddenMenusHoldTheirItems) {
    for (const MenuDef& m : mainWindowDef().menus) {
        QMenu* menu = findMenu(window.get(), qs(m.caption));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), qs(m.caption));
        EXPECT_EQ(menu->title(), qs(m.caption));
        ASSERT_EQ(menu->actions().size(), static_cast<qsizetype>(m.items.size()));
        for (std::string_view item : m.items) {
            QAction* action = findMenuItem(window.get(), qs(item));
            ASSERT_NE(action, nullptr);
            EXPECT_TRUE(menu->actions().contains(action));
            EXPECT_EQ(action->text(), qs(item));
            EXPECT_TRUE(action->isVisible());
            EXPECT_TRUE(action->isEnabled());
            EXPECT_FALSE(action->isChecked());
        }
    }
    EXPECT_EQ(findMenu(window.get(), "打开商品"), nullptr);
    EXPECT_EQ(findMenuItem(window.get(), "手机综合查询"), nullptr);
}

TEST_F(MainWindowTest, FilledListsAndDayNamesAreOnTopOfWhatOverlapsThem) {
    // The unused keyword list and the two group frames overlap the lists the handlers fill.
    struct Case {
        int page;
        const char* name;
    };
    for (const Case& c : {Case{2, "超级列表框关键词1"}, Case{2, "超级列表框1"},
                          Case{8, "透明标签14"}, Case{8, "bjk4_z7"}}) {
        SCOPED_TRACE(c.name);
        tabs->setCurrentIndex(c.page);
        QWidget* w = control(c.name);
        w->show();
        QApplication::processEvents();
        QWidget* page = tabs->widget(c.page);
        QWidget* hit = page->childAt(w->mapTo(page, w->rect().center()));
        ASSERT_NE(hit, nullptr);
        EXPECT_TRUE(hit == w || w->isAncestorOf(hit)) << qPrintable(hit->objectName());
    }
}

TEST_F(MainWindowTest, BuildingTheWindowLoadsNoWebEngine) {
    QFile maps("/proc/self/maps");
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libQt6WebEngine"));
    auto* browser = qobject_cast<BrowserBox*>(control("超文本浏览框1"));
    ASSERT_NE(browser, nullptr);
    EXPECT_FALSE(browser->engineCreated());
}

}  // namespace
}  // namespace quillet
