// The HTML log: exact entries, levels, and no trace outside the logger's life.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Logger.h"
#include "TempFolder.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const char kHead[] =
    "<html><head><title>Pardow log file</title></head><body bgcolor=\"#000000\"><font "
    "face=\"Courier New\"><font size=2>";

}  // namespace

TEST(Logger, WritesExactEntriesOnOneLine) {
  CTempFolder temp;
  std::string path = temp.Path("log-exact.html");
  LogError("before the logger: dropped");
  {
    CLogger logger(path);
    LogEvent("Reading file: a<b>&c");
    LogWarning(std::string(""));
    WriteLog(7, "seven");
    LogEvent("");
  }
  LogError("after the logger: dropped");
  std::string expected = std::string(kHead) +
                         "<font color=\"#4f4f4f\"><b>DudoDov v1.0 initialized</b></font><br>"
                         "<font color=\"#8f8f8f\"><b>Reading file: a<b>&c</b></font><br>"
                         "<font color=\"#ffff00\"><b></b></font><br>"
                         "<font color=\"#ffffff\"><b>seven</b></font><br>"
                         "<font color=\"#8f8f8f\"><b></b></font><br>"
                         "<font color=\"#4f4f4f\"><b>DudoDov uninitialized</b></font><br>";
  EXPECT_EQ(ReadText(path), expected);
}

TEST(Logger, EachRunStartsAFreshFileAndRedIsForErrors) {
  CTempFolder temp;
  std::string path = temp.Path("log-twice.html");
  {
    CLogger first(path);
    LogError("first run");
  }
  {
    CLogger second(path);
    LogError("second run");
  }
  std::string text = ReadText(path);
  EXPECT_EQ(text.find("first run"), std::string::npos);
  EXPECT_NE(text.find("<font color=\"#ff0000\"><b>second run</b></font><br>"), std::string::npos);
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(Logger, UncreatableFileDropsMessagesAndTheNextLogWorks) {
  {
    CLogger logger("/nonexistent-folder/log.html");
    LogError("nowhere to go");
  }
  CTempFolder temp;
  std::string path = temp.Path("log-after-failure.html");
  {
    CLogger logger(path);
    LogError("written");
  }
  EXPECT_EQ(ReadText(path), std::string(kHead) +
                                "<font color=\"#4f4f4f\"><b>DudoDov v1.0 initialized</b></font><br>"
                                "<font color=\"#ff0000\"><b>written</b></font><br>"
                                "<font color=\"#4f4f4f\"><b>DudoDov uninitialized</b></font><br>");
}
