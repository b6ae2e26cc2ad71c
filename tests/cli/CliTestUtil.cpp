#include "CliTestUtil.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "TempFolder.h"

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

// The running test's temporary folder, made on first use and removed with
// its files when the test ends.
class CTestFolders : public testing::EmptyTestEventListener {
 public:
  static const CTempFolder& Current() {
    static CTestFolders* listener = [] {
      auto* created = new CTestFolders;
      testing::UnitTest::GetInstance()->listeners().Append(created);  // owned by gtest
      return created;
    }();
    if (!listener->folder_) listener->folder_ = std::make_unique<CTempFolder>();
    return *listener->folder_;
  }

 private:
  void OnTestEnd(const testing::TestInfo&) override { folder_.reset(); }
  std::unique_ptr<CTempFolder> folder_;
};

}  // namespace

CliResult RunCli(const std::vector<std::string>& args) {
  return RunCliAfter("", args);
}

CliResult RunCliAfter(const std::string& shellPrefix, const std::vector<std::string>& args) {
  static int runs = 0;
  const std::string errPath = CTestFolders::Current().Path("stderr-" + std::to_string(++runs));
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
  return CTestFolders::Current().Path(name);
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
