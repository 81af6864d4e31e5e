#pragma once
// The hidden browser box. Its web engine is created on the first load(), from a module loaded at
// that moment; until then the box is an empty widget and the program has no web engine mapped.

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

namespace quillet {

class BrowserEngine;

class BrowserBox : public QWidget {
    Q_OBJECT

public:
    explicit BrowserBox(QWidget* parent = nullptr);
    ~BrowserBox() override;

    // Loads the page, creating the engine first if needed. `finished` (optional) is told
    // whether the page loaded; it is told false at once when the engine cannot be created.
    void load(const QUrl& url, std::function<void(bool)> finished = {});
    // The loaded document's cookie text (document.cookie); the empty text when nothing was ever
    // loaded, given at once.
    void readCookie(std::function<void(QString)> done);

    bool engineCreated() const { return engine_ != nullptr; }

    // Where the engine module is looked for: $QUILLET_BROWSER_ENGINE, then beside the program,
    // then where the build put it.
    static QString modulePath();

private:
    bool createEngine();

    std::unique_ptr<BrowserEngine> engine_;
    bool failed_ = false;
};

}  // namespace quillet
