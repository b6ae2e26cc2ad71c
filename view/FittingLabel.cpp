#include "FittingLabel.h"

#include <QPainter>

namespace {
constexpr int kSmallestPixelSize = 9;
}

QFont CFittingLabel::FittedFont() const {
  QFont fitted = font();
  const int width = contentsRect().width();
  while (fitted.pixelSize() > kSmallestPixelSize &&
         QFontMetrics(fitted).horizontalAdvance(text()) > width)
    fitted.setPixelSize(fitted.pixelSize() - 1);
  return fitted;
}

QSize CFittingLabel::minimumSizeHint() const {
  return {0, QLabel::minimumSizeHint().height()};
}

void CFittingLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFont fitted = FittedFont();
  painter.setFont(fitted);
  painter.setPen(palette().color(foregroundRole()));
  const QRect area = contentsRect();
  painter.drawText(area, static_cast<int>(alignment()),
                   QFontMetrics(fitted).elidedText(text(), Qt::ElideRight, area.width()));
}
