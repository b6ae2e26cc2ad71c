// Running pardow-cli from the tests and reading what it prints.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

using Json = nlohmann::json;

struct CliResult {
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs pardow-cli with `args` (each passed as one argument).
CliResult RunCli(const std::vector<std::string>& args);
// The same, in a shell command line that starts with `shellPrefix` (limits to
// set, or a pipe into the tool's standard input).
CliResult RunCliAfter(const std::string& shellPrefix, const std::vector<std::string>& args);

// A fresh path for a file in the running test's own temporary folder, which
// is removed with everything in it when the test ends.
std::string TempFile(const std::string& name);

// `dump` and `apply` of `file` with the clock pinned to `today`
// (YYYY-MM-DD); the test fails when the tool fails.
Json Dump(const std::string& file, const std::string& today = "2007-05-15");
Json Apply(const std::string& file, const std::string& today);

// The dates of a list of transactions, in list order.
std::vector<std::string> Dates(const Json& transactions);

// The item with `id` in a dump's list, or null.
Json ById(const Json& list, std::uint32_t id);
