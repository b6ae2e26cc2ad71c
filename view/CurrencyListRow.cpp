#include "CurrencyListRow.h"

#include <QFontMetrics>
#include <QPainter>

#include "Skin.h"

namespace {

void DrawClipped(QPainter& painter, const QRect& box, const QString& text) {
  if (box.width() <= 0 || text.isEmpty()) return;
  painter.setClipRect(box);
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   painter.fontMetrics().elidedText(text, Qt::ElideRight, box.width()));
}

}  // namespace

void PaintCurrencyListRow(QPainter& painter, const QRect& row, int strip, bool selected,
                          const QString& fullName, const QString& shortName,
                          const QPixmap& imgLines) {
  painter.save();
  DrawStrip(painter, imgLines, strip * kStripHeight, kStripHeight, row);
  painter.setFont(WindowFont());
  painter.setPen(selected ? Qt::white : Qt::black);
  painter.setBrush(Qt::NoBrush);
  const int top = row.y() + 1;
  const int right = row.x() + row.width();
  const int shortLeft = row.x() + kCurrencyShortNameLeft;
  const int nameRight = shortName.isEmpty() ? right - 4 : shortLeft - 6;
  DrawClipped(
      painter,
      QRect(QPoint(row.x() + kCurrencyFullNameLeft, top), QPoint(nameRight - 1, row.bottom())),
      fullName);
  DrawClipped(painter, QRect(QPoint(shortLeft, top), QPoint(right - 5, row.bottom())), shortName);
  painter.restore();
}
