// Saves a picture of every page of MainWindow, of the rank chart page with two and four weeks
// drawn, and of ImageBrowserWindow, to look at the layout:  grab-pages <folder>
// Run with QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QTabWidget>
#include <cstdio>

#include "app/window_table.h"
#include "chart/qt/curve_chart_view.h"
#include "ui/qt/list_view.h"
#include "ui/qt/picture_box.h"
#include "ui/qt/window_builder.h"

using namespace quillet;

namespace {

bool save(QWidget* window, const QString& path) {
    QApplication::processEvents();
    const bool ok = window->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

// What the rank-grid handler does for `weeks` weeks, with made-up ranks.
void drawWeeks(QWidget* window, CurveChartView* chart, int weeks) {
    static const char* names[] = {"第一周图", "第二周图", "第三周图", "第四周图"};
    static const double colours[] = {255, 65280, 16711824, 16711680};
    static const char* days[] = {"周一", "周二", "周三", "周四", "周五", "周六", "周天"};
    chart->apply(ChartNumber::ValueMax, 200);
    chart->apply(ChartNumber::Divisions, 10);
    chart->apply(ChartText::XAxisTitle, std::string("星期"));
    chart->apply(ChartNumber::PointCount, 7);
    chart->apply(ChartNumber::SeriesCount, weeks);
    for (int w = 0; w < 4; ++w) {
        for (int d = 0; d < 7; ++d) {
            const QString box = QStringLiteral("bjk%1_z%2").arg(w + 1).arg(d + 1);
            auto* edit = window->findChild<QLineEdit*>(box);
            edit->setVisible(w < weeks);
            edit->setText(w < weeks ? QString::number(20 + 25 * w + 9 * ((d * (w + 3)) % 5)) : "");
        }
    }
    for (int w = 0; w < weeks; ++w) {
        chart->apply(ChartNumber::CurrentSeries, w);
        chart->apply(ChartNumber::SeriesColour, colours[w]);
        chart->apply(ChartText::SeriesName, std::string(names[w]));
        for (int d = 0; d < 7; ++d) {
            chart->apply(ChartNumber::CurrentPoint, d);
            chart->apply(ChartText::PointLabel, std::string(days[d]));
            const QString box = QStringLiteral("bjk%1_z%2").arg(w + 1).arg(d + 1);
            chart->apply(ChartNumber::Value, window->findChild<QLineEdit*>(box)->text().toDouble());
        }
    }
}

QByteArray samplePicture() {
    QImage image(400, 300, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(40, 120, 200));
    p.fillRect(QRect(40, 40, 320, 220), QColor(250, 200, 60));
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    prepareApplicationAttributes();
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: grab-pages <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(folder.path());

    QMainWindow* main = buildWindow(mainWindowDef());
    main->show();
    auto* tabs = main->findChild<QTabWidget*>("高级选择夹1");
    bool ok = true;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        ok = save(main, folder.filePath(QStringLiteral("page-%1.png").arg(i))) && ok;
    }

    // The same pages with some content: rows in the lists, a picture, labels filled.
    for (auto* list : main->findChildren<ListView*>()) {
        for (int r = 0; r < 3; ++r) {
            const int row = list->addRow(-1, QString::number(r + 1));
            for (int c = 1; c < list->columnCount(); ++c) {
                list->setCell(row, c, QStringLiteral("内容%1").arg(c));
            }
        }
    }
    for (auto* box : main->findChildren<PictureBox*>()) {
        box->setBytes(samplePicture());
    }
    for (int i : {0, 2, 7}) {
        tabs->setCurrentIndex(i);
        ok = save(main, folder.filePath(QStringLiteral("page-%1-filled.png").arg(i))) && ok;
    }

    auto* chart = main->findChild<CurveChartView*>("排名曲线图");
    tabs->setCurrentIndex(8);
    for (int weeks : {2, 4}) {
        drawWeeks(main, chart, weeks);
        ok = save(main, folder.filePath(QStringLiteral("page-8-%1-weeks.png").arg(weeks))) && ok;
    }

    QMainWindow* browser = buildWindow(imageBrowserWindowDef(), main);
    browser->show();
    ok = save(browser, folder.filePath("image-browser.png")) && ok;
    browser->findChild<PictureBox*>("图片框1")->setBytes(samplePicture());
    ok = save(browser, folder.filePath("image-browser-picture.png")) && ok;

    delete browser;
    delete main;
    return ok ? 0 : 1;
}
