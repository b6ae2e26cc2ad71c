#include "Folding.h"

#include <cstdint>

#include "Textcodec.h"

namespace {

// Base letters of U+0100..U+017F (Latin Extended-A); '*' marks the four
// ligatures, which FoldCodePoint spells out.
constexpr char kLatinExtendedA[] =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii**jjkkkllllllllll"
    "nnnnnnnnnoooooo**rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(sizeof kLatinExtendedA == 129);

// Base letters of U+00C0..U+00FF; '*' marks the ones spelled out, '-' the
// two signs (multiplication, division) that stay as they are.
constexpr char kLatin1[] = "aaaaaa*ceeeeiiiidnooooo-ouuuuy**aaaaaa*ceeeeiiiidnooooo-ouuuuy*y";
static_assert(sizeof kLatin1 == 65);

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Greek letters with an accent or diaeresis, and final sigma, by their base.
std::uint32_t GreekBase(std::uint32_t cp) {
  switch (cp) {
    case 0x386:
    case 0x3AC:
      return 0x3B1;
    case 0x388:
    case 0x3AD:
      return 0x3B5;
    case 0x389:
    case 0x3AE:
      return 0x3B7;
    case 0x38A:
    case 0x3AF:
    case 0x3AA:
    case 0x3CA:
    case 0x390:
      return 0x3B9;
    case 0x38C:
    case 0x3CC:
      return 0x3BF;
    case 0x38E:
    case 0x3CD:
    case 0x3AB:
    case 0x3CB:
    case 0x3B0:
      return 0x3C5;
    case 0x38F:
    case 0x3CE:
      return 0x3C9;
    case 0x3C2:
      return 0x3C3;
    default:
      return cp >= 0x391 && cp <= 0x3A9 ? cp + 0x20 : cp;
  }
}

void FoldCodePoint(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 32 : cp);
  } else if (cp == 0xA0) {
    out += ' ';  // a no-break space separates words as a space does
  } else if (cp >= 0xC0 && cp <= 0xFF) {
    const char base = kLatin1[cp - 0xC0];
    if (base == '-')
      AppendUtf8(cp, out);
    else if (cp == 0xC6 || cp == 0xE6)
      out += "ae";
    else if (cp == 0xDE || cp == 0xFE)
      out += "th";
    else if (cp == 0xDF)
      out += "ss";
    else
      out += base;
  } else if (cp >= 0x100 && cp <= 0x17F) {
    if (cp == 0x132 || cp == 0x133)
      out += "ij";
    else if (cp == 0x152 || cp == 0x153)
      out += "oe";
    else
      out += kLatinExtendedA[cp - 0x100];
  } else if (cp >= 0x300 && cp <= 0x36F) {
    // Combining accents are dropped with the accents of composed letters.
  } else if (cp >= 0x386 && cp <= 0x3CE) {
    AppendUtf8(GreekBase(cp), out);
  } else if (cp >= 0x400 && cp <= 0x45F) {
    if (cp < 0x410)
      cp += 0x50;
    else if (cp < 0x430)
      cp += 0x20;
    AppendUtf8(cp == 0x451 ? 0x435 : cp, out);  // ё counts as е
  } else {
    AppendUtf8(cp, out);
  }
}

// Folds valid UTF-8 into `out`.
void FoldUtf8(std::string_view utf8, std::string& out) {
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      ++i;
      continue;
    }
    const int n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    std::uint32_t cp = c & (0x7F >> n);
    for (int k = 1; k < n && i + k < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    FoldCodePoint(cp, out);
    i += static_cast<std::size_t>(n);
  }
}

}  // namespace

void AppendFoldedText(std::string_view stored, std::string& out) {
  // Most bank texts are ASCII, which is valid UTF-8 and folds by lowering
  // A-Z: copied and lowered in one pass, noting any byte beyond ASCII.
  const std::size_t start = out.size();
  out.resize(start + stored.size());
  char* to = out.data() + start;
  unsigned char any = 0;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const auto c = static_cast<unsigned char>(stored[i]);
    any |= c;
    to[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0));
  }
  if (any < 0x80) return;
  out.resize(start);
  if (IsValidUtf8(stored))
    FoldUtf8(stored, out);
  else
    FoldUtf8(StoredToUtf8(stored), out);
}

std::string FoldText(std::string_view stored) {
  std::string out;
  out.reserve(stored.size());
  AppendFoldedText(stored, out);
  return out;
}

std::vector<std::string_view> FoldedWords(std::string_view folded) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  auto wordChar = [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b >= 0x80;
  };
  for (std::size_t i = 0; i <= folded.size(); ++i) {
    if (i < folded.size() && wordChar(folded[i])) continue;
    if (i > start) words.push_back(folded.substr(start, i - start));
    start = i + 1;
  }
  return words;
}
