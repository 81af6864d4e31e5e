#include "ui/qt/window_builder.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include "chart/qt/curve_chart_view.h"
#include "ui/qt/browser_box.h"
#include "ui/qt/list_view.h"
#include "ui/qt/picture_box.h"

namespace quillet {

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Makes the window's outer size the tabled one once the platform has put a frame around it.
class FrameSizer : public QObject {
public:
    FrameSizer(QWidget* window, QRect outer) : QObject(window), window_(window), outer_(outer) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && (event->type() == QEvent::Show || event->type() == QEvent::Move ||
                                   event->type() == QEvent::Resize)) {
            const QRect frame = window_->frameGeometry();
            const QRect client = window_->geometry();
            if (frame != client) {
                const QSize border = frame.size() - client.size();
                window_->removeEventFilter(this);
                window_->resize(outer_.size() - border);
                window_->move(outer_.topLeft());
                deleteLater();
            }
        }
        return false;
    }

private:
    QWidget* window_;
    QRect outer_;
};

// Draws every space as an en space (half an em, the width of half a Chinese character), so
// that columns laid out with spaces line up; text() keeps the ordinary spaces.
class SpacedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawFrame(&painter);
        QString shown = text();
        shown.replace(QChar(' '), QChar(0x2002));
        style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                              isEnabled(), shown, foregroundRole());
    }
};

QWidget* makeControl(const ControlDef& def, QWidget* parent) {
    const QString text = qs(def.text);
    switch (def.kind) {
        case ControlKind::TabControl:
            return new TabControl(parent);
        case ControlKind::Button:
            return new QPushButton(text, parent);
        case ControlKind::EditBox: {
            auto* edit = new QLineEdit(parent);
            edit->setText(text);
            return edit;
        }
        case ControlKind::Label:
        case ControlKind::TransparentLabel: {
            // Texts laid out with runs of spaces (the day names over the rank grid) were
            // spaced for a font whose space is half a Chinese character wide.
            QLabel* label = text.contains(QStringLiteral("  ")) ? new SpacedLabel(text, parent)
                                                                : new QLabel(text, parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->setWordWrap(!text.contains(QStringLiteral("  ")));
            // A plain label's background would be the page's own colour; drawing none keeps it
            // from showing as a grey patch on the lighter tab pane.
            label->setAutoFillBackground(false);
            return label;
        }
        case ControlKind::GroupBox:
            return new QGroupBox(text, parent);
        case ControlKind::PictureBox:
            return new PictureBox(parent);
        case ControlKind::ListView: {
            std::vector<std::pair<QString, int>> columns;
            for (const Column& column : def.columns) {
                columns.emplace_back(qs(column.title), column.width);
            }
            return new ListView(columns, parent);
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(parent);
            for (std::string_view entry : def.entries) {
                combo->addItem(qs(entry));
            }
            combo->setCurrentIndex(-1);
            return combo;
        }
        case ControlKind::CurveChart:
            return new CurveChartView(parent);
        case ControlKind::WebBrowser:
            return new BrowserBox(parent);
    }
    return nullptr;
}

// The colour the style gives a tab pane, which may differ from the window colour.
QColor paneColour(QTabWidget* tab) {
    QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(tab->palette().color(QPalette::Window));
    QStyleOptionTabWidgetFrame option;
    option.initFrom(tab);
    option.rect = image.rect();
    QPainter painter(&image);
    tab->style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, tab);
    painter.end();
    return image.pixelColor(20, 20);
}

bool isBox(ControlKind kind) {
    return kind == ControlKind::GroupBox || kind == ControlKind::PictureBox;
}

}  // namespace

TabControl::TabControl(QWidget* parent) : QTabWidget(parent) {}

void TabControl::spreadPages() {
    auto* stack = findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
    if (stack != nullptr && stack->geometry() != rect()) {
        stack->setGeometry(rect());
        stack->lower();
    }
}

bool TabControl::event(QEvent* event) {
    const bool handled = QTabWidget::event(event);
    // QTabWidget puts its pages below the tab strip whenever it lays itself out.
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Resize:
        case QEvent::LayoutRequest:
        case QEvent::StyleChange:
        case QEvent::FontChange:
        case QEvent::Polish:
            spreadPages();
            break;
        default:
            break;
    }
    return handled;
}

void TabControl::tabInserted(int index) {
    QTabWidget::tabInserted(index);
    spreadPages();
}

void prepareApplicationAttributes() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QMainWindow* buildWindow(const WindowDef& def, QWidget* owner) {
    auto* window = new QMainWindow(owner, Qt::Window);
    window->setObjectName(qs(def.name));
    window->setWindowTitle(qs(def.title));
    // The tabled sizes were made for a 12-pixel font (9 points at 96 dpi).
    QFont font = window->font();
    font.setPixelSize(12);
    window->setFont(font);
    auto* client = new QWidget(window);
    client->setObjectName(qs(def.name) + QStringLiteral("/client"));
    window->setCentralWidget(client);

    QHash<QString, QWidget*> byName;
    QHash<QString, QTabWidget*> tabs;
    for (const ControlDef& c : def.controls) {
        const QString container = qs(c.container);
        QWidget* parent = client;
        if (!container.isEmpty()) {
            if (QTabWidget* tab = tabs.value(container); tab != nullptr) {
                parent = tab->widget(c.page);
            } else {
                parent = byName.value(container);
            }
            // The tables name only containers defined above the control.
            Q_ASSERT(parent != nullptr);
        }
        QWidget* widget = makeControl(c, parent);
        widget->setObjectName(qs(c.name));
        widget->setGeometry(c.x, c.y, c.width, c.height);
        if (c.kind == ControlKind::TabControl) {
            auto* tab = static_cast<QTabWidget*>(widget);
            for (int i = 0; i < static_cast<int>(c.entries.size()); ++i) {
                auto* page = new QWidget();
                page->setObjectName(qs(c.name) + '/' + QString::number(i));
                tab->addTab(page, qs(c.entries[i]));
            }
            tab->setCurrentIndex(0);
            tabs.insert(qs(c.name), tab);
        }
        widget->setVisible(c.visible);
        byName.insert(qs(c.name), widget);
    }

    // Overlaps: a group or picture box that holds controls goes on top of its neighbours so its
    // controls stay usable; an empty one is only a frame and goes beneath them.
    for (const ControlDef& c : def.controls) {
        if (!isBox(c.kind)) {
            continue;
        }
        QWidget* box = byName.value(qs(c.name));
        bool holdsControls = false;
        for (const ControlDef& other : def.controls) {
            holdsControls = holdsControls || other.container == c.name;
        }
        if (holdsControls) {
            box->raise();
            // It also covers what lies beneath it (the unused keyword list under the suggestion
            // group would otherwise show at its edges), in the colour of the pane it sits on.
            if (auto* tab = tabs.value(qs(c.container)); tab != nullptr) {
                QPalette palette = box->palette();
                palette.setColor(QPalette::Window, paneColour(tab));
                box->setPalette(palette);
                box->setAutoFillBackground(true);
            }
        } else {
            box->lower();
        }
    }

    // The menus exist only to be popped up: owned by the window, never in a menu bar.
    for (const MenuDef& m : def.menus) {
        auto* menu = new QMenu(qs(m.caption), window);
        menu->setObjectName(qs(m.caption));
        for (std::string_view item : m.items) {
            QAction* action = menu->addAction(qs(item));
            action->setObjectName(qs(item));
        }
    }

    window->move(def.x, def.y);
    window->resize(def.width, def.height);
    new FrameSizer(window, QRect(def.x, def.y, def.width, def.height));
    return window;
}

QMenu* findMenu(QWidget* window, const QString& caption) {
    if (window == nullptr) {
        return nullptr;
    }
    return window->findChild<QMenu*>(caption, Qt::FindDirectChildrenOnly);
}

QAction* findMenuItem(QWidget* window, const QString& caption) {
    if (window == nullptr) {
        return nullptr;
    }
    for (QMenu* menu : window->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
        for (QAction* action : menu->actions()) {
            if (action->objectName() == caption) {
                return action;
            }
        }
    }
    return nullptr;
}

}  // namespace quillet
