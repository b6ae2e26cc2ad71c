#include "Skin.h"

#include <algorithm>

#include "Node.h"

TNodeStyle NodeStyle(std::uint8_t kind, std::int32_t depth) {
  switch (kind) {
    case NodeIncomes: return {2, 0x20A020, 0xFFFFFF, 10, true};
    case NodeExpenses: return {1, 0xB03030, 0xFFFFFF, 10, true};
    case NodeCategory:
      return {std::clamp(depth + 2, 2, 7), 0x65ACFF, 0x000000, depth <= 2 ? 10 : 9, false};
    case NodeGroup:
    case NodeTransaction: return {8, 0xF2F2F2, 0x000000, 8, false};
    default: return {};
  }
}
