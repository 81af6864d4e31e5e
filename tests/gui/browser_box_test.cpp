// The hidden browser box: no web engine until the first load, then a real page from a loopback
// server whose script sets a cookie, read back through document.cookie.
#include <gtest/gtest.h>

#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>

#include "ui/qt/browser_box.h"

namespace quillet {
namespace {

bool webEngineMapped() {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngine");
}

// Answers every request with one page: a cookie from the header, one set by the script at
// once, and one set by a timer (which must fire although the view is never shown).
class PageServer {
public:
    PageServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n")) {
                        return;
                    }
                    const QByteArray body =
                        "<html><body><script>document.cookie = 'script=2; path=/';"
                        "setTimeout(function () { document.cookie = 'timer=3; path=/'; }, 300);"
                        "</script></body></html>";
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                        "Set-Cookie: header=1; Path=/\r\n"
                        "Set-Cookie: secret=4; Path=/; HttpOnly\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/credit2").arg(server_.serverPort()));
    }

private:
    QTcpServer server_;
};

TEST(BrowserBox, LoadsTheEngineOnFirstUseAndReadsTheDocumentCookie) {
    auto box = std::make_unique<BrowserBox>();
    box->hide();

    // Before any load: no engine, and the cookie text is empty at once.
    bool answered = false;
    QString cookie = "unset";
    box->readCookie([&](QString text) {
        answered = true;
        cookie = text;
    });
    EXPECT_TRUE(answered);
    EXPECT_EQ(cookie, "");
    EXPECT_FALSE(box->engineCreated());
    EXPECT_FALSE(webEngineMapped());

    PageServer server;
    bool finished = false;
    bool loaded = false;
    box->load(server.url(), [&](bool ok) {
        finished = true;
        loaded = ok;
    });
    EXPECT_TRUE(box->engineCreated());
    EXPECT_TRUE(webEngineMapped());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 30000));
    ASSERT_TRUE(loaded);

    // The timer cookie shows that scripts of the hidden page are not held back.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            answered = false;
            box->readCookie([&](QString text) {
                answered = true;
                cookie = text;
            });
            return QTest::qWaitFor([&] { return answered; }, 5000) && cookie.contains("timer=3");
        },
        5000))
        << qPrintable(cookie);
    EXPECT_TRUE(cookie.contains("header=1"));
    EXPECT_TRUE(cookie.contains("script=2"));
    EXPECT_FALSE(cookie.contains("secret=4"));  // HttpOnly cookies stay out of document.cookie
    box.reset();
}

}  // namespace
}  // namespace quillet
