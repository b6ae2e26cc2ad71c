// pardow-cli backups, backup and restore, with the backup folder of a U3
// layout in the test's own temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliTestUtil.h"

namespace {

class BackupsCli : public testing::Test {
 protected:
  void SetUp() override {
    db = TempFile("home.vlt");
    prefix = "U3_DEVICE_DOCUMENT_PATH='" + TempFile("docs") + "' ";
    ASSERT_EQ(RunCli({"create", db}).exitCode, 0);
  }
  CliResult Run(const std::vector<std::string>& args, const std::string& before = "") {
    return RunCliAfter(before + prefix, args);
  }
  Json List() {
    const CliResult r = Run({"backups", db, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Json::parse(r.out, nullptr, false);
  }
  std::string db, prefix;
};

}  // namespace

TEST_F(BackupsCli, RestoreBacksTheFileUpFirstAndBringsTheBackupBack) {
  const CliResult made = Run({"backup", db});
  ASSERT_EQ(made.exitCode, 0) << made.err;
  ASSERT_EQ(
      RunCli({"add-transaction", db,
              R"({"date": "2026-11-30", "from": 103, "amountOut": 10000, "amountIn": 10000})"})
          .exitCode,
      0);
  Json list = List();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0]["transactions"], 0);
  EXPECT_EQ(list[0]["lastTransaction"], nullptr);
  EXPECT_EQ(list[0]["path"].get<std::string>() + "\n", made.out);

  const CliResult restored = Run({"restore", db, list[0]["file"].get<std::string>()});
  ASSERT_EQ(restored.exitCode, 0) << restored.err;
  EXPECT_EQ(Dump(db)["transactions"].size(), 0u);
  list = List();
  ASSERT_EQ(list.size(), 2u);
  // The newest is the file as it was before the restore.
  EXPECT_EQ(list[0]["path"].get<std::string>() + "\n", restored.out);
  EXPECT_EQ(list[0]["transactions"], 1);
  EXPECT_EQ(list[0]["lastTransaction"], "2026-11-30");
  const CliResult text = Run({"backups", db});
  EXPECT_NE(text.out.find(list[1]["file"].get<std::string>()), std::string::npos) << text.out;
}

TEST_F(BackupsCli, AFullDiskFailsTheBackupAndLeavesNothing) {
  const CliResult r = Run({"backup", db}, "trap '' XFSZ; ulimit -f 1; ");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_EQ(List().size(), 0u);
  EXPECT_TRUE(std::filesystem::is_empty(TempFile("docs") + "/Pardow Backups"));
}

TEST_F(BackupsCli, BadArgumentsAndMissingFilesAreRefused) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"backups"}, 2},
      {{"backups", "DB", "--text"}, 2},
      {{"restore", "DB"}, 2},
      {{"backups", "/nowhere/x.vlt"}, 1},
      {{"restore", "DB", "home-20260101-000000.vlt"}, 1},
  };
  for (const auto& [args, code] : cases) {
    std::vector<std::string> given = args;
    for (std::string& a : given)
      if (a == "DB") a = db;
    EXPECT_EQ(Run(given).exitCode, code) << given[0] << " " << given.size();
  }
}
