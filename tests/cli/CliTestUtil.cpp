#include "CliTestUtil.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string Quote(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args) {
  return RunCliAfter("", args);
}

CliResult RunCliAfter(const std::string& shellPrefix, const std::vector<std::string>& args) {
  static int runs = 0;
  const std::string errPath =
      testing::TempDir() + "cli-stderr-" + std::to_string(getpid()) + "-" + std::to_string(++runs);
  std::string command = shellPrefix + Quote(PARDOW_CLI);
  for (const std::string& a : args) command += " " + Quote(a);
  command += " 2>" + Quote(errPath);
  CliResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) result.out.append(buf, n);
  const int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.err = ReadAll(errPath);
  std::remove(errPath.c_str());
  return result;
}

std::string TempFile(const std::string& name) {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string path =
      testing::TempDir() + "cli-" + info->test_suite_name() + "-" + info->name() + "-" + name;
  std::remove(path.c_str());
  return path;
}

static Json RunJson(const std::vector<std::string>& args) {
  CliResult r = RunCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  Json json = Json::parse(r.out, nullptr, false);
  EXPECT_FALSE(json.is_discarded()) << r.out;
  return json;
}

Json Dump(const std::string& file, const std::string& today) {
  return RunJson({"--today", today, "dump", file});
}

Json Apply(const std::string& file, const std::string& today) {
  return RunJson({"--today", today, "apply", file});
}

std::vector<std::string> Dates(const Json& transactions) {
  std::vector<std::string> dates;
  for (const Json& t : transactions) dates.push_back(t["date"]);
  return dates;
}

Json ById(const Json& list, std::uint32_t id) {
  for (const Json& item : list)
    if (item["id"] == id) return item;
  return nullptr;
}
