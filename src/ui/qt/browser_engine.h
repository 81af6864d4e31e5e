#pragma once
// The boundary to the embedded web engine. The engine lives in a module of its own that is
// loaded on first use, so a program that never browses never maps the web engine libraries.

#include <QString>
#include <QUrl>
#include <functional>

class QWidget;

namespace quillet {

class BrowserEngine {
public:
    virtual ~BrowserEngine() = default;
    // The engine's view, a child of the widget given to the factory.
    virtual QWidget* view() = 0;
    // `finished` (may be empty) is told whether the page loaded.
    virtual void load(const QUrl& url, std::function<void(bool)> finished) = 0;
    // Runs a script in the loaded document; `done` receives its result as text.
    virtual void runScript(const QString& script, std::function<void(QString)> done) = 0;
};

}  // namespace quillet

// The module's one entry point.
extern "C" {
using QuilletCreateBrowserEngine = quillet::BrowserEngine* (*)(QWidget* parent);
}
#define QUILLET_BROWSER_ENGINE_FACTORY "quillet_create_browser_engine"
