#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string JsonQuote(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

void CJsonWriter::Key(const char* key) {
  if (needComma_) out_ += ",";
  out_ += "\n" + std::string(2 * depth_, ' ');
  if (key != nullptr) out_ += JsonQuote(key) + ": ";
  needComma_ = true;
}

void CJsonWriter::BeginObject(const char* key) {
  if (depth_ > 0) Key(key);
  out_ += "{";
  ++depth_;
  needComma_ = false;
}

void CJsonWriter::EndObject() {
  --depth_;
  out_ += "\n" + std::string(2 * depth_, ' ') + "}";
  needComma_ = true;
}

void CJsonWriter::BeginArray(const char* key) {
  Key(key);
  out_ += "[";
  ++depth_;
  needComma_ = false;
}

void CJsonWriter::EndArray() {
  --depth_;
  out_ += "\n" + std::string(2 * depth_, ' ') + "]";
  needComma_ = true;
}

void CJsonWriter::Value(const char* key, const std::string& text) {
  Key(key);
  out_ += JsonQuote(text);
}

void CJsonWriter::Value(const char* key, std::int64_t number) {
  Key(key);
  out_ += std::to_string(number);
}

namespace {

// JSON has no infinities or NaN: a damaged file's odd value shows as null.
template <class Float>
std::string NumberText(Float number) {
  if (!std::isfinite(number)) return "null";
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, number);
  return std::string(buf, result.ptr);
}

}  // namespace

void CJsonWriter::Value(const char* key, double number) {
  Key(key);
  out_ += NumberText(number);
}

void CJsonWriter::Value(const char* key, float number) {
  Key(key);
  out_ += NumberText(number);
}

void CJsonWriter::Value(const char* key, bool flag) {
  Key(key);
  out_ += flag ? "true" : "false";
}
