#include "AboutArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRect>

namespace {

// One coin seen from the side: an ellipse with a rim, `width` px wide.
void PaintCoin(QPainter& p, QPointF center, double width) {
  const double height = width * 0.32;
  const QRectF face(center.x() - width / 2, center.y() - height / 2, width, height);
  p.setPen(QPen(QColor(150, 110, 20), 1));
  p.setBrush(QColor(205, 160, 40));
  p.drawRect(QRectF(face.left(), face.center().y(), face.width(), height * 0.45));
  p.drawEllipse(face.translated(0, height * 0.45));
  QRadialGradient shine(face.center() - QPointF(width / 5, height / 4), width / 1.6);
  shine.setColorAt(0, QColor(255, 236, 150));
  shine.setColorAt(1, QColor(225, 178, 50));
  p.setBrush(shine);
  p.drawEllipse(face);
}

}  // namespace

void PaintAboutBackground(QPainter& painter, const QRect& area) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(area.topLeft(), area.bottomLeft());
  sky.setColorAt(0, QColor(255, 255, 255));
  sky.setColorAt(0.65, QColor(226, 236, 250));
  sky.setColorAt(1, QColor(196, 214, 240));
  painter.fillRect(area, sky);

  // A band along the top carries the program's colour.
  const QRectF band(area.left(), area.top(), area.width(), 22);
  QLinearGradient bandColour(band.topLeft(), band.topRight());
  bandColour.setColorAt(0, QColor(21, 101, 192));
  bandColour.setColorAt(1, QColor(46, 125, 50));
  painter.fillRect(band, bandColour);

  // A chart line rising to the right, behind the coins.
  const double right = area.right(), bottom = area.bottom();
  QPainterPath line;
  line.moveTo(right - 150, bottom - 40);
  line.lineTo(right - 120, bottom - 70);
  line.lineTo(right - 95, bottom - 58);
  line.lineTo(right - 60, bottom - 100);
  line.lineTo(right - 30, bottom - 98);
  line.lineTo(right - 8, bottom - 125);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(46, 125, 50, 170), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(line);

  // Two stacks of coins standing on the bottom edge.
  for (int i = 0; i < 5; ++i) PaintCoin(painter, QPointF(right - 105, bottom - 18 - i * 9), 46);
  for (int i = 0; i < 3; ++i) PaintCoin(painter, QPointF(right - 52, bottom - 18 - i * 9), 46);
  painter.restore();
}
