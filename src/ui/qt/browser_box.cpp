#include "ui/qt/browser_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QVBoxLayout>
#include <QtDebug>

#include "ui/qt/browser_engine.h"

namespace quillet {

namespace {

constexpr const char* kModuleName = "libquillet_browser_engine.so";

}  // namespace

BrowserBox::BrowserBox(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

BrowserBox::~BrowserBox() = default;

QString BrowserBox::modulePath() {
    const QString fromEnvironment = qEnvironmentVariable("QUILLET_BROWSER_ENGINE");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    const QString beside = QCoreApplication::applicationDirPath() + '/' + kModuleName;
    if (QFileInfo::exists(beside)) {
        return beside;
    }
#ifdef QUILLET_BROWSER_ENGINE_BUILD_PATH
    return QStringLiteral(QUILLET_BROWSER_ENGINE_BUILD_PATH);
#else
    return beside;
#endif
}

bool BrowserBox::createEngine() {
    if (engine_ != nullptr) {
        return true;
    }
    if (failed_) {
        return false;
    }
    // The library stays loaded for the rest of the run: the engine cannot be unloaded safely.
    QLibrary library(modulePath());
    auto create = reinterpret_cast<QuilletCreateBrowserEngine>(
        library.resolve(QUILLET_BROWSER_ENGINE_FACTORY));
    if (create == nullptr) {
        qWarning("browser engine unavailable: %s", qPrintable(library.errorString()));
        failed_ = true;
        return false;
    }
    engine_.reset(create(this));
    layout()->addWidget(engine_->view());
    return true;
}

void BrowserBox::load(const QUrl& url, std::function<void(bool)> finished) {
    if (!createEngine()) {
        if (finished) {
            finished(false);
        }
        return;
    }
    engine_->load(url, std::move(finished));
}

void BrowserBox::readCookie(std::function<void(QString)> done) {
    if (engine_ == nullptr) {
        done(QString());
        return;
    }
    engine_->runScript(QStringLiteral("document.cookie"), std::move(done));
}

}  // namespace quillet
