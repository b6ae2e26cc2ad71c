// Test main for window code: an offscreen QApplication, settings kept in a
// temporary home, and the English locale.
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
