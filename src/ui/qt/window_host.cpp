#include "ui/qt/window_host.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include "app/window_table.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/window_builder.h"

namespace quillet {

namespace {
const char* const kEventControl = "quilletControl";
}

WindowHost::WindowHost(const EventTable& events, QObject* parent)
    : QObject(parent), events_(events) {
    opener_ = [](const std::string& address) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
    };
}

WindowHost::~WindowHost() {
    shutdown();
    delete browser_.data();
    delete main_;
}

QMainWindow* WindowHost::createMainWindow() {
    main_ = buildWindow(mainWindowDef());
    main_->installEventFilter(this);
    wire(main_, "");
    main_->show();
    // The created event runs once the window exists and the loop is running.
    QTimer::singleShot(0, this,
                       [this] { dispatch(std::string(mainWindowDef().name), Event::Created); });
    return main_;
}

void WindowHost::openImageBrowser(QWidget* owner) {
    // A second double-click brings a fresh window: the state it shows is set afresh.
    delete browser_.data();
    browser_ = buildWindow(imageBrowserWindowDef(), owner);
    wire(browser_, std::string(imageBrowserWindowDef().name) + "/");
    browser_->show();
    browser_->raise();
}

void WindowHost::wire(QWidget* window, const std::string& prefix) {
    const WindowDef& def = prefix.empty() ? mainWindowDef() : imageBrowserWindowDef();
    for (const ControlDef& control : def.controls) {
        std::string name = prefix + std::string(control.name);
        QWidget* w = window->findChild<QWidget*>(
            QString::fromUtf8(control.name.data(), qsizetype(control.name.size())));
        if (!w) {
            continue;
        }
        w->setProperty(kEventControl, QString::fromStdString(name));
        switch (control.kind) {
            case ControlKind::Button:
                connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, this,
                        [this, name] { dispatch(name, Event::Clicked); });
                break;
            case ControlKind::ListView: {
                auto* view = static_cast<QTreeWidget*>(w);
                view->setContextMenuPolicy(Qt::CustomContextMenu);
                connect(view, &QWidget::customContextMenuRequested, this,
                        [this, name] { dispatch(name, Event::RightClicked); });
                view->viewport()->setProperty(kEventControl, QString::fromStdString(name));
                view->viewport()->installEventFilter(this);
                break;
            }
            case ControlKind::ComboBox:
                connect(static_cast<QComboBox*>(w), &QComboBox::activated, this,
                        [this, name] { dispatch(name, Event::Chosen); });
                break;
            default:
                break;
        }
    }
    for (const MenuDef& menu : def.menus) {
        for (auto item : menu.items) {
            std::string caption(item);
            if (QAction* action = findMenuItem(window, QString::fromStdString(caption))) {
                connect(action, &QAction::triggered, this,
                        [this, caption] { dispatch(caption, Event::Chosen); });
            }
        }
    }
}

bool WindowHost::eventFilter(QObject* watched, QEvent* event) {
    if (watched == main_ && event->type() == QEvent::Close) {
        // Closing MainWindow ends the program, whatever else is open.
        QTimer::singleShot(0, this, [this] { endProgram(); });
        return false;
    }
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        QVariant name = watched->property(kEventControl);
        if (name.isValid()) {
            // Let the view select the row first, then raise the event.
            QTimer::singleShot(0, this, [this, control = name.toString().toStdString()] {
                dispatch(control, Event::DoubleClicked);
            });
        }
    }
    return QObject::eventFilter(watched, event);
}

QWidget* WindowHost::widget(const std::string& name) const {
    const std::string browserName(imageBrowserWindowDef().name);
    QWidget* window = main_;
    std::string control = name;
    if (name == browserName) {
        return browser_.data();
    }
    if (name.rfind(browserName + "/", 0) == 0) {
        window = browser_.data();
        control = name.substr(browserName.size() + 1);
    } else if (name == mainWindowDef().name) {
        return main_;
    }
    if (!window) {
        return nullptr;
    }
    return window->findChild<QWidget*>(QString::fromStdString(control));
}

void WindowHost::dispatch(const std::string& control, Event event) {
    if (ending_) {
        return;
    }
    const Routine* handler = events_.find(control, event);
    if (!handler) {
        return;
    }
    auto key = std::make_pair(control, event);
    {
        std::lock_guard lock(runningMutex_);
        // A handler still running ignores further presses of its control.
        if (!running_.insert(key).second) {
            return;
        }
    }
    Routine routine = *handler;
    startJob(JobState::Kind::Handler, std::move(routine), [this, key] {
        std::lock_guard lock(runningMutex_);
        running_.erase(key);
    });
}

void WindowHost::startJob(JobState::Kind kind, Routine routine, std::function<void()> onFinished) {
    WorkerHandle handle = jobs_.start(
        kind,
        [this, routine = std::move(routine)](JobState& job) {
            QtUi ui(*this, job);
            routine(ui);
        },
        onFinished);
    if (handle == 0 && onFinished) {
        onFinished();  // refused at the end of the program
    }
}

WorkerHandle WindowHost::startWorker(Routine routine) {
    return jobs_.start(JobState::Kind::Worker, [this, routine = std::move(routine)](JobState& job) {
        QtUi ui(*this, job);
        routine(ui);
    });
}

void WindowHost::setBrowserOpener(std::function<void(const std::string&)> opener) {
    opener_ = std::move(opener);
}

void WindowHost::openInBrowser(const std::string& address) {
    if (opener_) {
        opener_(address);
    }
}

void WindowHost::endProgram() {
    if (ending_.exchange(true)) {
        return;
    }
    // Flags only: the window thread never waits for a job. They are joined after the loop.
    jobs_.requestStopAll();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != main_) {
            w->close();
        }
    }
    if (main_) {
        main_->removeEventFilter(this);
        main_->close();
    }
    QCoreApplication::quit();
}

void WindowHost::shutdown() {
    ending_ = true;
    jobs_.stopAll();
}

}  // namespace quillet
