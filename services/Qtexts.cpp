#include "Qtexts.h"

QString Q(const std::string& text) {
  return QString::fromUtf8(text.c_str());
}

QString StoredToQString(std::string_view bytes) {
  const std::string utf8 = StoredToUtf8(bytes);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string QStringToStored(const QString& text) {
  return text.toUtf8().toStdString();
}

QLocale LanguageLocale(const std::string& code, const QLocale& system) {
  if (code.empty()) return system;
  const QLocale named(QString::fromStdString(code));
  if (named.language() == QLocale::C) return system;
  if (named.language() == system.language()) return system;
  const QLocale inCountry(named.language(), system.territory());
  return inCountry.language() == named.language() ? inCountry : named;
}
