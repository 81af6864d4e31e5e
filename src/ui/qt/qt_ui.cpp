#include "ui/qt/qt_ui.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTreeWidget>
#include <QUrl>

#include "chart/qt/curve_chart_view.h"
#include "ui/qt/browser_box.h"
#include "ui/qt/list_view.h"
#include "ui/qt/picture_box.h"
#include "ui/qt/window_builder.h"

namespace quillet {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string s(const QString& text) {
    return text.toStdString();
}

template <class W>
W* as(WindowHost& host, const std::string& name) {
    return qobject_cast<W*>(host.widget(name));
}

}  // namespace

std::string QtUi::GetControlText(const std::string& control) {
    return host_.call(job_, [this, control] {
        QWidget* w = host_.widget(control);
        if (!w) {
            return std::string();
        }
        if (w->isWindow()) {
            return s(w->windowTitle());
        }
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            return s(edit->text());
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            return s(label->text());
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            return s(button->text());
        }
        if (auto* group = qobject_cast<QGroupBox*>(w)) {
            return s(group->title());
        }
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            return s(combo->currentText());
        }
        return std::string();
    });
}

void QtUi::SetControlText(const std::string& control, const std::string& text) {
    host_.call(job_, [this, control, text] {
        QWidget* w = host_.widget(control);
        if (!w) {
            return;
        }
        if (w->isWindow()) {
            w->setWindowTitle(q(text));
        } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            edit->setText(q(text));
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(q(text));
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setText(q(text));
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            group->setTitle(q(text));
        }
    });
}

void QtUi::SetControlVisible(const std::string& control, bool visible) {
    host_.call(job_, [this, control, visible] {
        if (QWidget* w = host_.widget(control)) {
            w->setVisible(visible);
        }
    });
}

Bytes QtUi::GetPictureBytes(const std::string& control) {
    return host_.call(job_, [this, control] {
        auto* box = as<PictureBox>(host_, control);
        return box ? box->bytes().toStdString() : Bytes();
    });
}

void QtUi::SetPictureBytes(const std::string& control, const Bytes& bytes) {
    // Decoding happens on the window thread; the bytes are copied once into the call.
    host_.call(job_, [this, control, data = QByteArray(bytes.data(), qsizetype(bytes.size()))] {
        if (auto* box = as<PictureBox>(host_, control)) {
            box->setBytes(data);
        }
    });
}

int QtUi::ComboSelectedIndex(const std::string& control) {
    return host_.call(job_, [this, control] {
        auto* combo = as<QComboBox>(host_, control);
        return combo ? combo->currentIndex() : -1;
    });
}

void QtUi::ListClear(const std::string& list) {
    host_.call(job_, [this, list] {
        if (auto* view = as<ListView>(host_, list)) {
            view->clear();
        }
    });
}

int QtUi::ListAddRow(const std::string& list, std::optional<int> position,
                     std::optional<std::string> text) {
    return host_.call(job_, [this, list, position, text] {
        auto* view = as<ListView>(host_, list);
        if (!view) {
            return -1;
        }
        return view->addRow(position.value_or(-1), q(text.value_or(std::string())));
    });
}

void QtUi::ListSetCell(const std::string& list, int row, int column, const std::string& text) {
    host_.call(job_, [this, list, row, column, text] {
        if (auto* view = as<ListView>(host_, list)) {
            view->setCell(row, column, q(text));
        }
    });
}

std::string QtUi::ListGetCell(const std::string& list, int row, int column) {
    return host_.call(job_, [this, list, row, column] {
        auto* view = as<ListView>(host_, list);
        if (!view || row < 0 || row >= view->topLevelItemCount() || column < 0 ||
            column >= view->columnCount()) {
            return std::string();
        }
        return s(view->topLevelItem(row)->text(column));
    });
}

int QtUi::ListSelectedRow(const std::string& list) {
    return host_.call(job_, [this, list] {
        auto* view = as<ListView>(host_, list);
        if (!view) {
            return -1;
        }
        QTreeWidgetItem* item = view->currentItem();
        if (!item || !item->isSelected()) {
            return -1;
        }
        return view->indexOfTopLevelItem(item);
    });
}

void QtUi::ListSelectRow(const std::string& list, int row) {
    host_.call(job_, [this, list, row] {
        auto* view = as<ListView>(host_, list);
        if (view && row >= 0 && row < view->topLevelItemCount()) {
            view->setCurrentItem(view->topLevelItem(row));
        }
    });
}

void QtUi::ListEnsureVisible(const std::string& list, int row) {
    host_.call(job_, [this, list, row] {
        auto* view = as<ListView>(host_, list);
        if (view && row >= 0 && row < view->topLevelItemCount()) {
            view->scrollToItem(view->topLevelItem(row));
        }
    });
}

void QtUi::SetMenuItemVisible(const std::string& item, bool visible) {
    host_.call(job_, [this, item, visible] {
        if (QAction* action = findMenuItem(host_.mainWindow(), q(item))) {
            action->setVisible(visible);
        }
    });
}

void QtUi::PopUpMenu(const std::string& menu) {
    // The menu pops up without a nested loop; the job waits until it closes. A chosen item
    // raises its own event, which runs as a job of its own.
    host_.await<bool>(job_, [this, menu](std::function<void(bool)> done) {
        QMenu* popup = findMenu(host_.mainWindow(), q(menu));
        if (!popup) {
            done(false);
            return;
        }
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = QObject::connect(popup, &QMenu::aboutToHide, popup, [connection, done] {
            QObject::disconnect(*connection);
            done(true);
        });
        popup->popup(QCursor::pos());
    });
}

void QtUi::OpenWindow(const std::string& window, const std::string& owner) {
    host_.call(job_, [this, owner] { host_.openImageBrowser(host_.widget(owner)); });
    // The window's created event runs within the opening job, before it returns.
    if (const Routine* created = host_.events().find(window, Event::Created)) {
        (*created)(*this);
    }
}

void QtUi::ShowMessage(const std::string& text, int buttons, const std::string& caption) {
    (void)buttons;  // 0, one OK button, is the only code in use
    bool fromWorker = job_.kind() == JobState::Kind::Worker;
    auto box = std::make_shared<QPointer<QMessageBox>>();
    try {
        host_.await<bool>(job_, [text, caption, fromWorker, box](std::function<void(bool)> done) {
            auto* message =
                new QMessageBox(QMessageBox::NoIcon, q(caption), q(text), QMessageBox::Ok);
            message->setAttribute(Qt::WA_DeleteOnClose);
            // From a handler the windows take no input until it is closed; from a worker only
            // that worker waits.
            message->setWindowModality(fromWorker ? Qt::NonModal : Qt::ApplicationModal);
            QObject::connect(message, &QMessageBox::finished, message, [done] { done(true); });
            *box = message;
            message->show();  // not open(): that would make every box window-modal
        });
    } catch (const StopRequested&) {
        // A stopped job leaves no box behind.
        QMetaObject::invokeMethod(
            &host_,
            [box] {
                if (*box) {
                    (*box)->close();
                }
            },
            Qt::QueuedConnection);
        throw;
    }
}

void QtUi::SetClipboardText(const std::string& text) {
    host_.call(job_, [text] { QGuiApplication::clipboard()->setText(q(text)); });
}

void QtUi::OpenInBrowser(const std::string& address) {
    host_.call(job_, [this, address] { host_.openInBrowser(address); });
}

void QtUi::ProcessPendingEvents() {
    job_.check();
}

void QtUi::PauseProcessingEvents(int milliseconds) {
    job_.sleepFor(milliseconds);
}

WorkerHandle QtUi::StartWorker(Routine routine) {
    job_.check();
    return host_.startWorker(std::move(routine));
}

void QtUi::EndWorker(WorkerHandle handle) {
    host_.endWorker(handle);
}

void QtUi::ChartSet(const std::string& chart, ChartNumber setting, double value) {
    host_.call(job_, [this, chart, setting, value] {
        if (auto* view = as<CurveChartView>(host_, chart)) {
            view->apply(setting, value);
        }
    });
}

void QtUi::ChartSet(const std::string& chart, ChartText setting, const std::string& text) {
    host_.call(job_, [this, chart, setting, text] {
        if (auto* view = as<CurveChartView>(host_, chart)) {
            view->apply(setting, text);
        }
    });
}

void QtUi::BrowserLoad(const std::string& control, const std::string& address) {
    host_.call(job_, [this, control, address] {
        if (auto* box = as<BrowserBox>(host_, control)) {
            box->load(QUrl(q(address)));
        }
    });
}

std::string QtUi::BrowserCookie(const std::string& control) {
    return host_.await<std::string>(job_, [this, control](std::function<void(std::string)> done) {
        auto* box = as<BrowserBox>(host_, control);
        if (!box) {
            done(std::string());
            return;
        }
        box->readCookie([done](const QString& cookie) { done(s(cookie)); });
    });
}

void QtUi::EndProgram() {
    QMetaObject::invokeMethod(
        &host_, [host = &host_] { host->endProgram(); }, Qt::QueuedConnection);
    job_.requestStop();
    job_.check();
}

}  // namespace quillet
