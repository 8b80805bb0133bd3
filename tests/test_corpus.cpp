// The conformance corpus: every robot file in tests/corpus runs through the line store,
// preparation and the run loop, and must leave the globals and error report of its .expect file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/script_harness.h"

using namespace testing_support;

namespace {

// The source tree as Wine sees it.
std::string CorpusFolder() {
  std::string path = std::string("Z:") + PINDREL_SOURCE_DIR + "/tests/corpus";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((CorpusFolder() + "\\*.txt").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

struct Expectation {
  std::vector<std::pair<std::string, std::string>> globals;  // name (without "$"), text
  bool error = false;
  std::string report;
};

Expectation ReadExpectation(const std::string& path) {
  Expectation e;
  std::vector<std::string> lines = SplitLines(ReadFileBytes(path));
  size_t i = 0;
  for (; i < lines.size() && lines[i] != "error:"; ++i) {
    size_t eq = lines[i].find('=');
    if (lines[i].empty() || lines[i][0] != '$' || eq == std::string::npos) continue;
    e.globals.emplace_back(lines[i].substr(1, eq - 1), lines[i].substr(eq + 1));
  }
  if (i < lines.size()) {
    e.error = true;
    for (size_t j = i + 1; j < lines.size(); ++j) e.report += (j > i + 1 ? "\n" : "") + lines[j];
  }
  return e;
}

}  // namespace

TEST(Corpus, EveryScriptLeavesItsExpectedState) {
  std::vector<std::string> files = CorpusFiles();
  ASSERT_GE(files.size(), 40u) << CorpusFolder();
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    std::string path = CorpusFolder() + "\\" + file;
    Expectation expect = ReadExpectation(path.substr(0, path.size() - 4) + ".expect");

    // As the shell runs a robot: read its lines, prepare, set the run parameters, run once.
    ScriptHarness h;
    ASSERT_TRUE(h.file().LoadRobotFile(path.c_str(), 0));
    h.file().BuildLineArray();
    if (h.script().PrepareScript(path.c_str()) == 0) {
      h.script().SetRunParameters(0, 0, 0);
      EXPECT_EQ(h.script().Execute(1, 1), 0);
    }
    for (const auto& [name, text] : expect.globals) EXPECT_EQ(h.Global(name.c_str()), text) << "$" << name;
    if (expect.error) {
      ASSERT_EQ(h.boxes().size(), 1u);
      EXPECT_EQ(h.boxes()[0].text, expect.report);
      EXPECT_EQ(h.boxes()[0].caption, "Internal Error");
    } else {
      EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
      EXPECT_EQ(h.script().GetIfDepth(), 0);
      EXPECT_EQ(h.script().GetLoopDepth(), 0);
      EXPECT_EQ(h.script().GetSelectDepth(), 0);
    }
    EXPECT_EQ(h.script().Depth, 0);
    EXPECT_EQ(h.variables().GetScopeDepth(), 0);
  }
}
