#include "ControlTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>

#include "Include.h"

std::string CTextTarget::Current() const {
  if (place_ == StoredText) return *text_;
  return CurrentText().toStdString();
}

QString CTextTarget::CurrentText() const {
  switch (place_) {
    case Nowhere:
      return {};
    case Caption:
      if (auto* b = qobject_cast<QAbstractButton*>(control_)) return b->text();
      if (auto* l = qobject_cast<QLabel*>(control_)) return l->text();
      if (auto* a = qobject_cast<QAction*>(control_)) return a->text();
      if (auto* g = qobject_cast<QGroupBox*>(control_)) return g->title();
      if (auto* m = qobject_cast<QMenu*>(control_)) return m->title();
      if (auto* w = qobject_cast<QWidget*>(control_)) return w->windowTitle();
      return {};
    case Hint:
      if (auto* a = qobject_cast<QAction*>(control_)) return a->toolTip();
      if (auto* w = qobject_cast<QWidget*>(control_)) return w->toolTip();
      return {};
    case Tab:
      if (auto* t = qobject_cast<QTabWidget*>(control_)) return t->tabText(index_);
      if (auto* t = qobject_cast<QTabBar*>(control_)) return t->tabText(index_);
      return {};
    case StoredText:
      return QString::fromStdString(*text_);
    case StoredQText:
      return *qtext_;
  }
  return {};
}

void CTextTarget::Set(const std::string& bytes) const {
  if (place_ == StoredText) {
    *text_ = bytes;
    return;
  }
  const QString text = QString::fromStdString(bytes);
  switch (place_) {
    case Nowhere:
      return;
    case Caption:
      if (auto* b = qobject_cast<QAbstractButton*>(control_)) return b->setText(text);
      if (auto* l = qobject_cast<QLabel*>(control_)) return l->setText(text);
      if (auto* a = qobject_cast<QAction*>(control_)) return a->setText(text);
      if (auto* g = qobject_cast<QGroupBox*>(control_)) return g->setTitle(text);
      if (auto* m = qobject_cast<QMenu*>(control_)) return m->setTitle(text);
      if (auto* w = qobject_cast<QWidget*>(control_)) return w->setWindowTitle(text);
      return;
    case Hint:
      if (auto* a = qobject_cast<QAction*>(control_)) return a->setToolTip(text);
      if (auto* w = qobject_cast<QWidget*>(control_)) return w->setToolTip(text);
      return;
    case Tab:
      if (auto* t = qobject_cast<QTabWidget*>(control_)) return t->setTabText(index_, text);
      if (auto* t = qobject_cast<QTabBar*>(control_)) return t->setTabText(index_, text);
      return;
    case StoredText:
      return;
    case StoredQText:
      *qtext_ = text;
      return;
  }
}

void ApplyTexts(const std::vector<TControlText>& table) {
  for (const TControlText& row : table) {
    const std::string fallback =
        row.defaultText ? std::string(row.defaultText) : row.target.Current();
    row.target.Set(GetLocalizedText(row.id, fallback));
  }
}
