// Test main for the dialogs: an offscreen QApplication, settings in a
// temporary INI file, the English language file, the English (US) locale and
// a pinned clock.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "Dates.h"
#include "Include.h"

int main(int argc, char** argv) {
  QTemporaryDir home;
  setenv("HOME", home.path().toUtf8().constData(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8().constData(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QStandardPaths::setTestModeEnabled(true);
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  QApplication app(argc, argv);
  InitSettings((home.path() + "/settings.ini").toStdString(), true);
  InitLocalization(PARDOW_SOURCE_DIR "/resources/Lang/english.txt");
  SetClock(EncodeDate(2007, 5, 4));
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  FreeLocalization("");
  FreeSettings();
  return result;
}
