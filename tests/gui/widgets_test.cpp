// The picture box and the report-style list on their own.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTest>

#include "ui/qt/list_view.h"
#include "ui/qt/picture_box.h"

namespace quillet {
namespace {

QByteArray encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage square(QColor colour, int side = 10) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A 1x1 GIF (Qt decodes GIF but cannot write it).
const QByteArray kGif = QByteArray::fromBase64("R0lGODlhAQABAIAAAP8AAAAAACwAAAAAAQABAAACAkQBADs=");

TEST(PictureBox, DecodesEveryCommonFormatAndGivesBackTheSameBytes) {
    struct Case {
        const char* format;
        QByteArray bytes;
    };
    const QImage red = square(Qt::red);
    for (const Case& c :
         {Case{"PNG", encode(red, "PNG")}, Case{"JPEG", encode(red, "JPEG")},
          Case{"BMP", encode(red, "BMP")}, Case{"WEBP", encode(red, "WEBP")}, Case{"GIF", kGif}}) {
        SCOPED_TRACE(c.format);
        ASSERT_FALSE(c.bytes.isEmpty());
        PictureBox box;
        box.setBytes(c.bytes);
        EXPECT_FALSE(box.image().isNull());
        EXPECT_EQ(box.bytes(), c.bytes);
    }
}

TEST(PictureBox, EmptyOrUndecodableBytesLeaveItBlankButAreKept) {
    PictureBox box;
    box.resize(60, 60);
    box.setBytes(encode(square(Qt::red), "PNG"));
    ASSERT_FALSE(box.image().isNull());

    const QByteArray junk("not a picture\0\x01\x02", 16);
    box.setBytes(junk);
    EXPECT_TRUE(box.image().isNull());
    EXPECT_EQ(box.bytes(), junk);
    // Nothing of the previous picture is drawn.
    EXPECT_NE(box.grab().toImage().pixelColor(30, 30), QColor(Qt::red));

    box.setBytes(QByteArray());
    EXPECT_TRUE(box.image().isNull());
    EXPECT_TRUE(box.bytes().isEmpty());
}

TEST(PictureBox, ScalesToFitKeepingTheAspect) {
    // A square picture in a wide box fills the height, centred, with blank bands left and right.
    PictureBox box;
    box.resize(200, 100);
    box.setBytes(encode(square(Qt::red), "PNG"));
    const QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(100, 50), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(100, 5), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(100, 94), QColor(Qt::red));
    EXPECT_NE(shown.pixelColor(20, 50), QColor(Qt::red));
    EXPECT_NE(shown.pixelColor(180, 50), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(60, 50), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(140, 50), QColor(Qt::red));
}

ListView threeColumns() {
    return ListView({{"序号", 50}, {"评价", 300}, {"评价图", 100}});
}

TEST(ListView, AddRowPlacesRowsAndReportsTheirIndex) {
    ListView list = threeColumns();
    EXPECT_EQ(list.addRow(-1, "a"), 0);
    EXPECT_EQ(list.addRow(-1, "c"), 1);
    EXPECT_EQ(list.addRow(1, "b"), 1);  // inserted before the old row 1
    EXPECT_EQ(list.addRow(0, "first"), 0);
    EXPECT_EQ(list.addRow(99, "last"), 4);  // past the end: appended
    QStringList firsts;
    for (int r = 0; r < list.rowCount(); ++r) {
        firsts << list.cell(r, 0);
    }
    EXPECT_EQ(firsts, QStringList({"first", "a", "b", "c", "last"}));
    EXPECT_EQ(list.cell(2, 1), "");  // other cells start empty
}

TEST(ListView, MissingRowsAndColumnsAreIgnored) {
    ListView list = threeColumns();
    list.addRow(-1, "a");
    list.setCell(0, 2, "有3图");
    list.setCell(0, 3, "x");
    list.setCell(5, 0, "x");
    list.setCell(-1, 0, "x");
    EXPECT_EQ(list.cell(0, 2), "有3图");
    EXPECT_EQ(list.cell(0, 3), "");
    EXPECT_EQ(list.cell(-1, 0), "");
    EXPECT_EQ(list.cell(1, 0), "");
    EXPECT_EQ(list.rowCount(), 1);
}

TEST(ListView, SelectionStartsEmptyAndFollowsSelectRow) {
    ListView list = threeColumns();
    EXPECT_EQ(list.selectedRow(), -1);
    for (int i = 0; i < 3; ++i) {
        list.addRow(-1, QString::number(i));
    }
    EXPECT_EQ(list.selectedRow(), -1);
    list.selectRow(2);
    EXPECT_EQ(list.selectedRow(), 2);
    list.selectRow(7);  // no such row: the selection stays
    EXPECT_EQ(list.selectedRow(), 2);
    list.clearRows();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.selectedRow(), -1);
}

}  // namespace
}  // namespace quillet
