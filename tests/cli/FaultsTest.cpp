// pardow-cli on a full disk and with a log it cannot write.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "CliTestUtil.h"

namespace {

// Writes past `size` bytes of any file fail with EFBIG (for this process
// and the tools it starts) while the limit lives, as a full disk fails
// appends.
class CFileSizeLimit {
 public:
  explicit CFileSizeLimit(std::uint64_t size) {
    std::signal(SIGXFSZ, SIG_IGN);  // inherited by the tool
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = size;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~CFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

 private:
  rlimit old_{};
};

}  // namespace

// Apply on a full disk exits 1 and says what failed; once there is room a
// second apply completes the books exactly as one undisturbed run does.
TEST(CliFaults, ApplyOnAFullDiskFailsAndASecondRunCompletesTheBooks) {
  const std::string base = TempFile("base.vlt");
  ASSERT_EQ(RunCli({"--today", "2024-05-15", "demo", base, "--transactions", "200", "--seed", "7"})
                .exitCode,
            0);
  const std::string clean = TempFile("clean.vlt");
  const std::string full = TempFile("full.vlt");
  std::filesystem::copy_file(base, clean);
  std::filesystem::copy_file(base, full);
  const Json cleanRun = Apply(clean, "2024-07-16");
  ASSERT_GT(cleanRun["added"].size(), 10u);
  CliResult failed;
  {
    CFileSizeLimit limit(std::filesystem::file_size(full) + 1500);
    failed = RunCli({"--today", "2024-07-16", "apply", full});
  }
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.err.find("pardow-cli: apply stopped"), std::string::npos) << failed.err;
  EXPECT_NE(failed.err.find("File too large"), std::string::npos) << failed.err;
  const Json partial = Json::parse(failed.out);
  EXPECT_LT(partial["added"].size(), cleanRun["added"].size());
  Apply(full, "2024-07-16");
  EXPECT_EQ(Dump(full, "2024-07-16")["transactions"], Dump(clean, "2024-07-16")["transactions"]);
  EXPECT_EQ(Dump(full, "2024-07-16")["planned"], Dump(clean, "2024-07-16")["planned"]);
}

TEST(CliFaults, LogInAFolderThatDoesNotExistIsAnError) {
  const std::string file = TempFile("log.vlt");
  CliResult r = RunCli({"--log", TempFile("no-such-folder") + "/log.html", "create", file});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("cannot write the log file"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(file));
}
