// The rows of the currency lists of the currencies window and the
// exchange-rate window: a strip of the strip picture with the full name and,
// where the list has that column, the short name.
#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

// Left edges of the two texts, from the row's left edge.
constexpr int kCurrencyFullNameLeft = 8;
constexpr int kCurrencyShortNameLeft = 248;
constexpr int kCurrencyRowHeight = 20;

// Paints one currency row into `row`: strip `strip` of `imgLines` stretched
// over it (caps kept), then the texts 1 px below the top in the window font,
// white on the selected row and black otherwise. The full name stops short
// of the short-name column; an empty `shortName` leaves that column out and
// gives the full name the whole row.
void PaintCurrencyListRow(QPainter& painter, const QRect& row, int strip, bool selected,
                          const QString& fullName, const QString& shortName,
                          const QPixmap& imgLines);
