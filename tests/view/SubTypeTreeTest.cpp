// The rows of the subtype trees, drawn on the strip picture.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "StripPicture.h"
#include "SubTypeTree.h"

TEST(SubTypeRows, AreDrawnOnTheStripOfTheirStyle) {
  CSubTypeNode node;
  node.name = "Food";
  node.depth = 1;
  SetSubTypeAppearance(node);
  QImage image(120, 20, QImage::Format_RGB32);
  image.fill(Qt::black);
  {
    QPainter painter(&image);
    PaintSubTypeRow(painter, LinesImage(), node, 120, false);
  }
  EXPECT_EQ(image.pixel(2, 18), StripColor(3));
  EXPECT_EQ(image.pixel(60, 18), StripColor(3));
  EXPECT_EQ(image.pixel(118, 18), StripColor(3));
  {
    QPainter painter(&image);
    PaintSubTypeRow(painter, LinesImage(), node, 120, true);
  }
  EXPECT_EQ(image.pixel(118, 18), StripColor(0));
  bool white = false;
  for (int x = 8; x < 40 && !white; ++x) {
    for (int y = 2; y < 18 && !white; ++y) white = image.pixel(x, y) == qRgb(255, 255, 255);
  }
  EXPECT_TRUE(white) << "the selected name is written in white";
}
