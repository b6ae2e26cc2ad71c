// A one-line caption that shrinks its font to fit its width (down to 9 px,
// then ends with "…"), so an interval caption such as "10 Dec 2026 -
// 24 Dec 2026" is never cut at both ends in a narrow panel.
#pragma once

#include <QLabel>

class CFittingLabel : public QLabel {
 public:
  using QLabel::QLabel;
  // The font the text is drawn in: the label's own, smaller where needed.
  QFont FittedFont() const;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
