// How rows look: the style of each kind of tree node.
#pragma once

#include <cstdint>

// Style of a tree row: the strip of the strip picture, the background used
// when printing, the text colour, the font size in points and boldness.
// Colours are 0xRRGGBB.
struct TNodeStyle {
  std::int32_t strip = 0;
  std::uint32_t background = 0;
  std::uint32_t textColor = 0;
  std::int32_t fontSize = 0;
  bool bold = false;
};

TNodeStyle NodeStyle(std::uint8_t kind, std::int32_t depth);
