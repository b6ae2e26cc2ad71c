#include "StripPicture.h"

#include <QColor>
#include <QPainter>

QRgb StripColor(int strip) {
  return qRgb(20 * strip, 255 - 20 * strip, 100 + strip);
}

const QPixmap& LinesImage() {
  static const QPixmap image = [] {
    QPixmap pixmap(192, 200);
    QPainter painter(&pixmap);
    for (int k = 0; k < 10; ++k) painter.fillRect(0, k * 20, 192, 20, QColor(StripColor(k)));
    return pixmap;
  }();
  return image;
}
