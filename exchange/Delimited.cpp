// Delimited text: the reader, the writer's quoting, separator detection and
// the conversion of a file's bytes to UTF-8 with iconv.
#include "Delimited.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "Textcodec.h"

CDelimitedReader::CDelimitedReader(std::string_view text, char separator)
    : text_(text), separator_(separator) {}

bool CDelimitedReader::Next(CDelimitedRow& row) {
  row.fields.clear();
  row.cut = false;
  if (pos_ >= text_.size()) return false;
  row.line = line_;
  std::string field;
  bool quoted = false;  // inside a quoted part of the field
  bool fieldStart = true;
  const std::size_t n = text_.size();
  while (pos_ < n) {
    const char c = text_[pos_];
    if (quoted) {
      if (c == '"') {
        if (pos_ + 1 < n && text_[pos_ + 1] == '"') {
          field += '"';
          pos_ += 2;
          continue;
        }
        quoted = false;
        ++pos_;
        continue;
      }
      if (c == '\n' || (c == '\r' && (pos_ + 1 >= n || text_[pos_ + 1] != '\n'))) ++line_;
      field += c;
      ++pos_;
      continue;
    }
    if (c == '"' && fieldStart) {
      quoted = true;
      fieldStart = false;
      ++pos_;
      continue;
    }
    if (c == separator_) {
      if (row.fields.size() < kMaxFields)
        row.fields.push_back(std::move(field));
      else
        row.cut = true;
      field.clear();
      fieldStart = true;
      ++pos_;
      continue;
    }
    if (c == '\r' || c == '\n') {
      pos_ += (c == '\r' && pos_ + 1 < n && text_[pos_ + 1] == '\n') ? 2 : 1;
      ++line_;
      break;
    }
    // Text after a closing quote ("ab"cd) is kept as written.
    fieldStart = false;
    field += c;
    ++pos_;
  }
  if (row.fields.size() < kMaxFields)
    row.fields.push_back(std::move(field));
  else
    row.cut = true;
  return true;
}

std::string QuoteField(std::string_view field, char separator) {
  const bool needs =
      field.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string_view::npos ||
      (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!needs) return std::string(field);
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

char DetectSeparator(std::string_view sample) {
  constexpr std::array<char, 4> candidates{'\t', ';', ',', '|'};
  char best = '\t';
  std::size_t bestScore = 0;
  for (char sep : candidates) {
    CDelimitedReader reader(sample, sep);
    CDelimitedRow row;
    std::vector<std::size_t> widths;
    while (widths.size() < 20 && reader.Next(row))
      if (!(row.fields.size() == 1 && row.fields[0].empty())) widths.push_back(row.fields.size());
    if (widths.empty()) continue;
    // The most common width above one, and how many rows have it.
    std::size_t score = 0;
    for (std::size_t w : widths) {
      if (w < 2) continue;
      const auto count = static_cast<std::size_t>(std::count(widths.begin(), widths.end(), w));
      score = std::max(score, count * 1000 + w);
    }
    if (score > bestScore) {
      bestScore = score;
      best = sep;
    }
  }
  return best;
}

const char* EncodingName(ETextEncoding encoding) {
  switch (encoding) {
    case ETextEncoding::kUtf8:
      return "UTF-8";
    case ETextEncoding::kWindows1251:
      return "WINDOWS-1251";
    case ETextEncoding::kWindows1252:
      return "WINDOWS-1252";
    case ETextEncoding::kLatin1:
      return "ISO-8859-1";
    case ETextEncoding::kUtf16Le:
      return "UTF-16LE";
    case ETextEncoding::kUtf16Be:
      return "UTF-16BE";
  }
  return "UTF-8";
}

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kBomUtf16Le = "\xFF\xFE";
constexpr std::string_view kBomUtf16Be = "\xFE\xFF";

bool IsUtf16(ETextEncoding encoding) {
  return encoding == ETextEncoding::kUtf16Le || encoding == ETextEncoding::kUtf16Be;
}

// UTF-16 whole once a unit or a surrogate pair cut at the very end is dropped.
std::string_view WithoutCutUtf16Tail(std::string_view bytes, bool bigEndian) {
  bytes = bytes.substr(0, bytes.size() & ~std::size_t{1});
  if (bytes.size() < 2) return bytes;
  const auto high = static_cast<unsigned char>(bytes[bytes.size() - (bigEndian ? 2 : 1)]);
  // A leading surrogate (0xD800..0xDBFF) at the end lost its partner.
  if (high >= 0xD8 && high <= 0xDB) bytes.remove_suffix(2);
  return bytes;
}

// Valid UTF-8 once a multi-byte sequence cut at the very end is dropped.
std::string_view WithoutCutTail(std::string_view bytes) {
  std::size_t i = bytes.size();
  for (int back = 0; back < 3 && i > 0; ++back) {
    const auto c = static_cast<unsigned char>(bytes[i - 1]);
    if (c < 0x80) break;
    --i;
    if (c >= 0xC0) return bytes.substr(0, i);  // a lead byte whose sequence is cut
  }
  return bytes;
}

}  // namespace

ETextEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.substr(0, 2) == kBomUtf16Le) return ETextEncoding::kUtf16Le;
  if (bytes.substr(0, 2) == kBomUtf16Be) return ETextEncoding::kUtf16Be;
  if (bytes.substr(0, 3) == kBom || IsValidUtf8(WithoutCutTail(bytes))) return ETextEncoding::kUtf8;
  // Cyrillic letters of Windows-1251 are 0xC0..0xFF (and 0xA8, 0xB8); in
  // Western text such bytes are accented letters among mostly ASCII ones.
  std::size_t high = 0, ascii = 0;
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0xC0 || c == 0xA8 || c == 0xB8)
      ++high;
    else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
      ++ascii;
  }
  return high > ascii / 2 ? ETextEncoding::kWindows1251 : ETextEncoding::kWindows1252;
}

bool DecodeText(std::string_view bytes, ETextEncoding encoding, std::string& utf8,
                std::string& error, bool partial) {
  utf8.clear();
  if (IsUtf16(encoding)) {
    const bool bigEndian = encoding == ETextEncoding::kUtf16Be;
    if (bytes.substr(0, 2) == (bigEndian ? kBomUtf16Be : kBomUtf16Le)) bytes.remove_prefix(2);
    if (partial) bytes = WithoutCutUtf16Tail(bytes, bigEndian);
  } else if (bytes.substr(0, 3) == kBom) {
    bytes.remove_prefix(3);
  }
  if (encoding == ETextEncoding::kUtf8) {
    if (partial) bytes = WithoutCutTail(bytes);
    if (!IsValidUtf8(bytes)) {
      error = "the file is not valid UTF-8; choose its encoding";
      return false;
    }
    utf8.assign(bytes);
    return true;
  }
  iconv_t cd = iconv_open("UTF-8", EncodingName(encoding));
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    error =
        std::string("cannot convert from ") + EncodingName(encoding) + ": " + std::strerror(errno);
    return false;
  }
  utf8.resize(bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* out = utf8.data();
  std::size_t outLeft = utf8.size();
  const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
  const int err = errno;
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) {
    error = std::string("byte ") + std::to_string(bytes.size() - inLeft) + " is not valid " +
            EncodingName(encoding) + ": " + std::strerror(err);
    utf8.clear();
    return false;
  }
  utf8.resize(utf8.size() - outLeft);
  return true;
}

bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& bytes,
                   std::string& error) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    error = path + " is a folder, not a file";
    return false;
  }
  constexpr std::size_t kChunk = 1 << 20;
  for (;;) {
    std::size_t want = kChunk;
    if (maxBytes != 0) want = std::min(want, maxBytes - bytes.size());
    if (want == 0) break;
    const std::size_t old = bytes.size();
    bytes.resize(old + want);
    const ssize_t got = ::read(fd, bytes.data() + old, want);
    if (got < 0) {
      if (errno == EINTR) {
        bytes.resize(old);
        continue;
      }
      error = path + ": " + std::strerror(errno);
      ::close(fd);
      bytes.clear();
      return false;
    }
    bytes.resize(old + static_cast<std::size_t>(got));
    if (got == 0) break;
  }
  ::close(fd);
  return true;
}
