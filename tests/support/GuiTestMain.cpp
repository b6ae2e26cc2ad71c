// The main of every window test program: an offscreen QApplication, a
// temporary home so that no test touches the user's settings, and the
// English (US) locale. A program that needs more (settings in an INI file,
// a language file, a pinned clock) registers a testing::Environment.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  QTemporaryDir home;
  setenv("HOME", home.path().toUtf8().constData(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8().constData(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QStandardPaths::setTestModeEnabled(true);
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
