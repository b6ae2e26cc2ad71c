// Test main of the services that use QtCore: every settings file the tests
// create lives in a temporary home, never in the user's configuration.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  QStandardPaths::setTestModeEnabled(true);
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
