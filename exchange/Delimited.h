// Delimited text files (CSV and its relatives): reading rows the way
// RFC 4180 writes them, writing fields so that any reader gets them back,
// and bringing a file's bytes to UTF-8 from the encodings banks use.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One row of a delimited file and the line of the file it starts on (1 =
// the first line); a quoted field may hold line breaks, so a row may span
// several lines.
struct CDelimitedRow {
  std::vector<std::string> fields;
  std::size_t line = 0;
  bool cut = false;  // it had more than kMaxFields fields; the rest are left out
};

// No statement has rows this wide: a row past it is refused, and a line of
// millions of separators does not fill the memory.
constexpr std::size_t kMaxFields = 500;

// Reads rows from UTF-8 text. A field in double quotes may hold the
// separator, line breaks and doubled quotes; CRLF, LF and a lone CR end a
// row. A quote inside an unquoted field is kept as an ordinary character;
// an opening quote that never closes takes the rest of the text. Empty
// lines are rows with one empty field. The text must outlive the reader.
class CDelimitedReader {
 public:
  CDelimitedReader(std::string_view text, char separator);
  // The next row; false at the end of the text.
  bool Next(CDelimitedRow& row);
  // Bytes of the text read so far.
  std::size_t Offset() const { return pos_; }

 private:
  std::string_view text_;
  char separator_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
};

// A field as a delimited file holds it: in double quotes (inner quotes
// doubled) when it holds the separator, a quote, a line break, or starts or
// ends with a blank; as it is otherwise.
std::string QuoteField(std::string_view field, char separator);

// The separator a sample of a file most likely uses: the one of tab, ';',
// ',' and '|' that splits its first lines into the same number (above one)
// of fields most consistently; tab when none does.
char DetectSeparator(std::string_view sample);

// ---- Encodings ----
// UTF-16 is what spreadsheet programs write as "Unicode text".
enum class ETextEncoding { kUtf8, kWindows1251, kWindows1252, kLatin1, kUtf16Le, kUtf16Be };
constexpr ETextEncoding kAllEncodings[] = {ETextEncoding::kUtf8,        ETextEncoding::kWindows1251,
                                           ETextEncoding::kWindows1252, ETextEncoding::kLatin1,
                                           ETextEncoding::kUtf16Le,     ETextEncoding::kUtf16Be};
// The encoding's name as iconv and people know it ("UTF-8", "WINDOWS-1251", ...).
const char* EncodingName(ETextEncoding encoding);
// UTF-16 (little or big endian) when the bytes start with its byte-order
// mark; UTF-8 when they are valid UTF-8 (or start with its byte-order mark);
// otherwise Windows-1251 when most letters above ASCII are Cyrillic ones of
// that code page, else Windows-1252.
ETextEncoding DetectEncoding(std::string_view bytes);
// The bytes as UTF-8, without a leading byte-order mark. False, with the
// reason in `error`, when the bytes are not valid in the encoding; a cut
// multi-byte sequence at the very end of `bytes` is dropped when `partial`
// (a file read only in part).
bool DecodeText(std::string_view bytes, ETextEncoding encoding, std::string& utf8,
                std::string& error, bool partial = false);

// Reads at most `maxBytes` of a file (all of it when 0). False, with the
// system's reason in `error`, when it cannot be read.
bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& bytes,
                   std::string& error);
