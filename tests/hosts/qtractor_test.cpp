// Qtractor's plug-in scanner indexes the module. Its habits are rough on a module: it
// asks the category before opening an instance, and creates a second instance that it
// never opens nor closes; the module must answer all the same and the scan must end well.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/hosts/child_process.h"

namespace fs = std::filesystem;
using namespace gw::test;

namespace {

fs::path findScanner() {
  std::error_code ec;
  for (const auto& dir : fs::directory_iterator("/usr/lib", ec)) {
    const fs::path candidate = dir.path() / "qtractor/qtractor_plugin_scan";
    if (fs::exists(candidate, ec)) return candidate;
  }
  const fs::path plain = "/usr/lib/qtractor/qtractor_plugin_scan";
  return fs::exists(plain, ec) ? plain : fs::path();
}

// One line per plug-in: type|name|audio in:out|MIDI in:out|controls in:out|flags|file|index|id
std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (std::size_t bar; (bar = line.find('|', from)) != std::string::npos; from = bar + 1) {
    out.push_back(line.substr(from, bar - from));
  }
  out.push_back(line.substr(from));
  return out;
}

TEST(QtractorTest, ScannerReportsTheInstrumentAndExitsCleanly) {
  const fs::path scanner = findScanner();
  if (scanner.empty()) GTEST_SKIP() << "Qtractor is not installed (scripts/install-deps hosts)";
  const std::string module = fs::absolute(GW_MODULE).string();
  // Scan twice in one scanner process: a module that leaves its process-wide state broken
  // after the first pass fails the second.
  const RunResult run = runProgram({scanner.string()}, {"QT_QPA_PLATFORM=offscreen"}, 60,
                                   "VST:" + module + "\nVST:" + module + "\n");
  ASSERT_FALSE(run.timedOut) << run.output;
  ASSERT_EQ(run.exitCode, 0) << run.output;

  int reports = 0;
  std::size_t from = 0;
  for (std::size_t at; (at = run.output.find("VST|", from)) != std::string::npos; from = at + 1) {
    const std::string line = run.output.substr(at, run.output.find('\n', at) - at);
    const std::vector<std::string> f = fields(line);
    ASSERT_EQ(f.size(), 9u) << line;
    EXPECT_EQ(f[1], "Glimmerwick");
    EXPECT_EQ(f[2], "0:2") << "audio inputs:outputs";
    EXPECT_EQ(f[3], "1:0") << "MIDI inputs:outputs";
    EXPECT_EQ(f[4], "180:0") << "parameters";
    EXPECT_NE(f[5].find("GUI"), std::string::npos) << "flags " << f[5];
    EXPECT_EQ(f[6], module);
    EXPECT_EQ(f[8], "0x54576777") << "unique identifier 'TWgw'";
    ++reports;
  }
  EXPECT_EQ(reports, 2) << run.output;
}

}  // namespace
