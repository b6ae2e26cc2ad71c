#include "Folding.h"

#include <cstdint>

#include "Textcodec.h"

namespace {

// Base letters of U+00C0..U+00FF ('\0': no letter to take off an accent).
constexpr char kLatin1[] =
    "aaaaaaaceeeeiiii"    // C0-CF
    "dnooooo\0ouuuuyts"   // D0-DF (D7 x, DE thorn, DF sharp s)
    "aaaaaaaceeeeiiii"    // E0-EF
    "dnooooo\0ouuuuyty";  // F0-FF
// Base letters of U+0100..U+017F, two code points (capital, small) a letter.
constexpr char kExtendedA[] =
    "aaaaaaccccccccdd"
    "ddeeeeeeeeeegggg"
    "gggghhhhiiiiiiii"
    "iijjjjkkklllllll"
    "lllnnnnnnnnnoooo"
    "oooorrrrrrssssss"
    "ssttttttuuuuuuuu"
    "uuuuwwyyyzzzzzzs";

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string FoldText(std::string_view stored) {
  const std::string text = StoredToUtf8(stored);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
      ++i;
      continue;
    }
    // Valid UTF-8 (StoredToUtf8 gives nothing else): decode one code point.
    const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    char32_t c = b & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    if (c == 0xDF) {
      out += "ss";
    } else if (c >= 0xC0 && c <= 0xFF && kLatin1[c - 0xC0] != '\0') {
      out += kLatin1[c - 0xC0];
    } else if (c >= 0x100 && c <= 0x17F) {
      out += kExtendedA[(c - 0x100)];
    } else if (c >= 0x410 && c <= 0x42F) {
      AppendUtf8(out, c + 0x20);  // Cyrillic capitals
    } else if (c == 0x401 || c == 0x451) {
      AppendUtf8(out, 0x435);  // Ё and ё are е
    } else if (c >= 0x400 && c <= 0x40F) {
      AppendUtf8(out, c + 0x50);
    } else if (c == 0xA0) {
      out += ' ';  // a no-break space is a space
    } else {
      AppendUtf8(out, c);
    }
  }
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
