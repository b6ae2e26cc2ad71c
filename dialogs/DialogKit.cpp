#include "DialogKit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLocale>
#include <cmath>

#include "Include.h"

namespace {

TConfirmationHook& Hook() {
  static TConfirmationHook hook;
  return hook;
}

}  // namespace

QString LocalizedText(std::uint32_t id, const char* defaultText) {
  return QString::fromStdString(GetLocalizedText(id, defaultText));
}

QDate ToQDate(Date date) {
  const CivilDate day = DecodeDate(date);
  return QDate(day.year, static_cast<int>(day.month), static_cast<int>(day.day));
}

Date FromQDate(const QDate& date) {
  if (!date.isValid()) return 0.0;
  return EncodeDate(date.year(), static_cast<unsigned>(date.month()),
                    static_cast<unsigned>(date.day()));
}

QMessageBox::StandardButton AskConfirmation(QWidget* parent, const QString& text,
                                            QMessageBox::StandardButtons buttons) {
  if (Hook()) return Hook()(parent, text, buttons);
  QMessageBox box(QMessageBox::Question, parent ? parent->windowTitle() : qApp->applicationName(),
                  text, buttons, parent);
  if (QAbstractButton* all = box.button(QMessageBox::YesToAll)) all->setText("&All");
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void SetConfirmationHook(TConfirmationHook hook) {
  Hook() = std::move(hook);
}
