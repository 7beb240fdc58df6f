// The ELF module's dynamic symbols; the Windows DLL's export table is checked in
// tests/win32.
#include <cstdio>
#include <set>
#include <string>

#include "tests/module/module_fixture.h"

namespace gw::test {
namespace {

TEST(ModuleExports, OnlyTheTwoEntryPointsAreExported) {
  const std::string command = std::string("nm -D --defined-only '") + GW_MODULE_PATH + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0) << command;
  EXPECT_EQ(symbols, (std::set<std::string>{"VSTPluginMain", "main"}));
}

}  // namespace
}  // namespace gw::test
