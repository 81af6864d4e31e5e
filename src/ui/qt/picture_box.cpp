#include "ui/qt/picture_box.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace quillet {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void PictureBox::setBytes(const QByteArray& bytes) {
    bytes_ = bytes;
    image_ = QImage();
    scaled_ = QPixmap();
    if (!bytes.isEmpty()) {
        QBuffer buffer(&bytes_);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        // Pictures come from the network: honour EXIF rotation, and let the reader's default
        // allocation limit refuse absurd sizes instead of exhausting memory.
        reader.setAutoTransform(true);
        image_ = reader.read();
    }
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (image_.isNull()) {
        return;
    }
    const QRect area = contentsRect();
    const QSize target = image_.size().scaled(area.size(), Qt::KeepAspectRatio);
    if (target.isEmpty()) {
        return;
    }
    if (scaled_.size() != target) {
        scaled_ = QPixmap::fromImage(
            image_.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    QPainter painter(this);
    const QPoint topLeft(area.x() + (area.width() - target.width()) / 2,
                         area.y() + (area.height() - target.height()) / 2);
    painter.drawPixmap(topLeft, scaled_);
}

}  // namespace quillet
