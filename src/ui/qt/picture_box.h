#pragma once
// A picture box: shows the picture held in a byte buffer, scaled to fit with its aspect kept.
// Other controls may lie inside it.

#include <QByteArray>
#include <QFrame>
#include <QImage>
#include <QPixmap>

namespace quillet {

class PictureBox : public QFrame {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Takes any image format Qt decodes; empty or undecodable bytes leave the box blank, and
    // bytes() still gives them back unchanged.
    void setBytes(const QByteArray& bytes);
    QByteArray bytes() const { return bytes_; }
    // The decoded picture, null when the bytes are not a picture.
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QByteArray bytes_;
    QImage image_;
    QPixmap scaled_;  // cache for the last drawn size
};

}  // namespace quillet
