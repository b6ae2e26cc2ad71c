// The texts of a window's controls as one table: each row names where a text
// goes, its language-file id and the text used when the language file lacks
// it. One loop looks the rows up in table order and puts the texts in place.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class QObject;

// Where a looked-up text goes.
class CTextTarget {
 public:
  enum TPlace { Nowhere, Caption, Hint, Tab, StoredText, StoredQText };

  // Looked up only (the language file's missing-text list still learns it).
  CTextTarget() = default;

  // The caption of a button, label, action, group box or menu, or the
  // title of any other window.
  static CTextTarget CaptionOf(QObject* control) { return {Caption, control}; }
  // The tool tip of a control or action.
  static CTextTarget HintOf(QObject* control) { return {Hint, control}; }
  // The caption of tab `index` of a tab widget or a tab bar.
  static CTextTarget TabOf(QObject* control, int index) { return {Tab, control, index}; }
  // A text the window keeps for later use.
  static CTextTarget Store(std::string* text) { return CTextTarget(text); }
  static CTextTarget Store(QString* text) { return CTextTarget(text); }

  // What the target holds now (UTF-8): the default of a row that gives none.
  std::string Current() const;
  // Sets the text; a kept std::string receives the bytes unchanged.
  void Set(const std::string& text) const;

 private:
  QString CurrentText() const;
  CTextTarget(TPlace place, QObject* control, int index = 0)
      : place_(place), control_(control), index_(index) {}
  explicit CTextTarget(std::string* text) : place_(StoredText), text_(text) {}
  explicit CTextTarget(QString* text) : place_(StoredQText), qtext_(text) {}

  TPlace place_ = Nowhere;
  QObject* control_ = nullptr;
  int index_ = 0;
  std::string* text_ = nullptr;
  QString* qtext_ = nullptr;
};

struct TControlText {
  CTextTarget target;
  std::uint32_t id = 0;
  // Used when the language file lacks `id`; nullptr: what the target holds.
  const char* defaultText = nullptr;
};

// Looks every row up with GetLocalizedText, in order, and sets its target.
void ApplyTexts(const std::vector<TControlText>& table);

// Shorthands for the rows.
inline CTextTarget CaptionOf(QObject* control) {
  return CTextTarget::CaptionOf(control);
}
inline CTextTarget HintOf(QObject* control) {
  return CTextTarget::HintOf(control);
}
inline CTextTarget TabOf(QObject* control, int index) {
  return CTextTarget::TabOf(control, index);
}
inline CTextTarget Store(std::string* text) {
  return CTextTarget::Store(text);
}
inline CTextTarget Store(QString* text) {
  return CTextTarget::Store(text);
}
inline CTextTarget Nowhere() {
  return {};
}
