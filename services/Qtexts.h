// The program's texts as the window code shows them: conversions between
// UTF-8 std::string (and stored bytes) and QString.
#pragma once

#include <QLocale>
#include <QString>
#include <string>
#include <string_view>

#include "Textcodec.h"

// A UTF-8 text as a QString.
QString Q(const std::string& text);

// Stored bytes as a QString, read by the rule of Textcodec.h.
QString StoredToQString(std::string_view bytes);
// A text typed by the user, as the bytes to store (UTF-8).
std::string QStringToStored(const QString& text);

// The locale that dates, calendars and month names take for the language a
// language file names (`code`, a locale name such as "de" or "ru_RU"):
// `system` itself when it already speaks that language, else that language
// in `system`'s country when such a locale exists, else the language's own
// main country. An empty or unknown code keeps `system`.
QLocale LanguageLocale(const std::string& code, const QLocale& system);
