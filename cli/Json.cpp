#include "Json.h"

#include <cmath>
#include <cstdio>

std::string JsonQuote(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
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

void CJsonWriter::Value(const char* key, double number) {
  Key(key);
  if (!std::isfinite(number)) {
    out_ += "null";
    return;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.10g", number);
  out_ += buf;
}

void CJsonWriter::Value(const char* key, bool flag) {
  Key(key);
  out_ += flag ? "true" : "false";
}
