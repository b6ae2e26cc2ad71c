// The program's texts as the window code shows them: conversions between
// UTF-8 std::string (and stored bytes) and QString.
#pragma once

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
