// The about box's background, painted in code: a light sky gradient with a
// stack of coins and a rising chart line at the right, leaving the left part
// calm for the texts.
#pragma once

class QPainter;
class QRect;

void PaintAboutBackground(QPainter& painter, const QRect& area);
