// Where the program finds its language files and guide, and where it writes
// its log, databases and backups: U3, portable, installed and read-only layouts.
#include <gtest/gtest.h>

#include <set>

#include "Platform.h"

TEST(ProgramFolders, FollowTheU3VariablesThenTheLayoutOfTheProgram) {
  struct Case {
    const char* name;
    const char* program;
    const char* u3App;
    const char* u3Docs;
    const char* xdgState;
    const char* xdgData;
    TProgramFolders expected;
  };
  // Existing folders: an installed layout under /usr and under /opt/p (whose
  // share has no Lang/), a writable build folder.
  const std::set<std::string> folders = {"/usr/share/pardow/Lang", "/opt/p/share/pardow"};
  const std::set<std::string> writable = {"/home/u/build/", "/home/u/bin/"};
  const Case cases[] = {
      {"portable",
       "/home/u/build/",
       "",
       "",
       "",
       "",
       {"/home/u/build/", "/home/u/build/", "/home/u/build/Data/", "/home/u/build/Backups/"}},
      {"portable read-only",
       "/mnt/cd/",
       "",
       "",
       "/st",
       "/da/",
       {"/mnt/cd/", "/st/pardow/", "/da/pardow/Data/", "/da/pardow/backups/"}},
      {"installed",
       "/usr/bin/",
       "",
       "",
       "",
       "",
       {"/usr/share/pardow/", "/home/u/.local/state/pardow/", "/home/u/.local/share/pardow/Data/",
        "/home/u/.local/share/pardow/backups/"}},
      {"relative XDG values are ignored",
       "/usr/bin/",
       "",
       "",
       "state",
       "data",
       {"/usr/share/pardow/", "/home/u/.local/state/pardow/", "/home/u/.local/share/pardow/Data/",
        "/home/u/.local/share/pardow/backups/"}},
      {"a bin/ without share/pardow/Lang is portable",
       "/home/u/bin/",
       "",
       "",
       "",
       "",
       {"/home/u/bin/", "/home/u/bin/", "/home/u/bin/Data/", "/home/u/bin/Backups/"}},
      {"share/pardow without Lang/",
       "/opt/p/bin/",
       "",
       "",
       "",
       "",
       {"/opt/p/bin/", "/home/u/.local/state/pardow/", "/home/u/.local/share/pardow/Data/",
        "/home/u/.local/share/pardow/backups/"}},
      {"U3 first",
       "/usr/bin/",
       "/u3/app",
       "/u3/docs//",
       "/st",
       "/da",
       {"/u3/app/", "/u3/app/", "/u3/docs/Pardow Data/", "/u3/docs/Pardow Backups/"}},
      {"U3 documents alone",
       "/home/u/build/",
       "",
       "/u3/docs",
       "",
       "",
       {"/home/u/build/", "/home/u/build/", "/u3/docs/Pardow Data/", "/u3/docs/Pardow Backups/"}},
  };
  for (const Case& c : cases) {
    TFolderFacts facts;
    facts.programFolder = c.program;
    facts.u3AppData = c.u3App;
    facts.u3Documents = c.u3Docs;
    facts.xdgStateHome = c.xdgState;
    facts.xdgDataHome = c.xdgData;
    facts.home = "/home/u";
    facts.isFolder = [&](const std::string& f) { return folders.count(f) > 0; };
    facts.isWritable = [&](const std::string& f) { return writable.count(f) > 0; };
    const TProgramFolders got = ResolveProgramFolders(facts);
    EXPECT_EQ(got.resources, c.expected.resources) << c.name;
    EXPECT_EQ(got.log, c.expected.log) << c.name;
    EXPECT_EQ(got.data, c.expected.data) << c.name;
    EXPECT_EQ(got.backups, c.expected.backups) << c.name;
  }
}
