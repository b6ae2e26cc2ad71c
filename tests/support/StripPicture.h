// A strip picture for window tests: 192 x 200, strip k filled with the one
// colour StripColor(k), so a pixel tells which strip was drawn.
#pragma once

#include <QPixmap>
#include <QRgb>

const QPixmap& LinesImage();
QRgb StripColor(int strip);
