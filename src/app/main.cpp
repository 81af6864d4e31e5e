// Start-up: the window toolkit, MainWindow from its table, the event loop; at the end every job
// is stopped and joined before the program exits.

#include <QApplication>
#include <thread>

#include "app/event_bindings.h"
#include "net/stop_token.h"
#include "ui/qt/window_builder.h"
#include "ui/qt/window_host.h"

int main(int argc, char** argv) {
    quillet::prepareApplicationAttributes();
    QApplication app(argc, argv);
    QApplication::setApplicationName("quillet");
    quillet::SetWindowThreadId(std::this_thread::get_id());  // no request may run here

    const quillet::EventTable events = quillet::BuildEventTable();
    quillet::WindowHost host(events);
    host.createMainWindow();
    int status = QApplication::exec();
    host.shutdown();
    return status;
}
