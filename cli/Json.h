// A small writer of JSON text for the command-line tool's reports.
#pragma once

#include <cstdint>
#include <string>

class CJsonWriter {
 public:
  void BeginObject(const char* key = nullptr);
  void EndObject();
  void BeginArray(const char* key = nullptr);
  void EndArray();
  void Value(const char* key, const std::string& text);
  void Value(const char* key, const char* text) { Value(key, std::string(text)); }
  void Value(const char* key, std::int64_t number);
  // Numbers in the shortest form that reads back as the same value.
  void Value(const char* key, double number);
  void Value(const char* key, float number);
  void Value(const char* key, bool flag);
  // The text written so far.
  const std::string& Text() const { return out_; }

 private:
  void Key(const char* key);
  std::string out_;
  bool needComma_ = false;  // a value was written at the current level
  int depth_ = 0;
};

// `bytes` as a JSON string literal (the bytes must be UTF-8).
std::string JsonQuote(const std::string& bytes);
