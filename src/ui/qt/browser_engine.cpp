// The web engine module: QWebEngineView behind the BrowserEngine interface.

#include "ui/qt/browser_engine.h"

#include <unistd.h>

#include <QByteArray>
#include <QPointer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// Must run before the first view exists: the engine reads its flags once, when it starts.
void prepareChromiumFlags() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    // The view is never shown, and hidden pages get their timers throttled; the page scripts
    // that set the session cookie must run on time. Nothing may phone home either.
    for (const char* flag : {"--disable-background-timer-throttling",
                             "--disable-background-networking", "--disable-component-update"}) {
        if (!flags.contains(flag)) {
            flags += ' ';
            flags += flag;
        }
    }
    // The engine refuses to start as root with its sandbox on.
    if (geteuid() == 0 && !flags.contains("--no-sandbox")) {
        flags += " --no-sandbox";
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
}

class WebEngine : public quillet::BrowserEngine {
public:
    explicit WebEngine(QWidget* parent) : view_(new QWebEngineView(parent)) {}
    ~WebEngine() override { delete view_.data(); }

    QWidget* view() override { return view_; }

    void load(const QUrl& url, std::function<void(bool)> finished) override {
        if (view_ == nullptr) {
            return;
        }
        QObject::disconnect(loadConnection_);
        if (finished) {
            // Only the load started here reports; a later load replaces the listener.
            loadConnection_ =
                QObject::connect(view_.data(), &QWebEngineView::loadFinished, view_.data(),
                                 [this, finished = std::move(finished)](bool ok) {
                                     QObject::disconnect(loadConnection_);
                                     finished(ok);
                                 });
        }
        view_->load(url);
    }

    void runScript(const QString& script, std::function<void(QString)> done) override {
        if (view_ == nullptr) {
            done(QString());
            return;
        }
        view_->page()->runJavaScript(
            script, [done = std::move(done)](const QVariant& result) { done(result.toString()); });
    }

private:
    QPointer<QWebEngineView> view_;
    QMetaObject::Connection loadConnection_;
};

}  // namespace

extern "C" Q_DECL_EXPORT quillet::BrowserEngine* quillet_create_browser_engine(QWidget* parent) {
    prepareChromiumFlags();
    return new WebEngine(parent);
}
