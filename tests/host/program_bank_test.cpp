// The VST bank file (.fxb): its bytes as other hosts read them, what a damaged or foreign
// file is refused for, and every program of the real module surviving a save and a load.
#include "host/program_bank.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace gw::host {
namespace {

ProgramBank smallBank() {
  ProgramBank bank;
  bank.uniqueId = vst::fourCC('T', 'W', 'g', 'w');
  bank.pluginVersion = 3;
  bank.currentProgram = 1;
  bank.programs = {{"First", {0.0f, 0.25f, 1.0f}}, {"Second", {0.5f, 0.75f, 0.125f}}};
  return bank;
}

std::uint32_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
         std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

TEST(ProgramBank, WritesTheStandardBankOfParameterPrograms) {
  const std::vector<std::uint8_t> bytes = encodeBank(smallBank());
  // A 156-byte bank header, then two programs of 56 header bytes and 3 values each.
  ASSERT_EQ(bytes.size(), 156u + 2 * (56 + 12));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "CcnK");
  EXPECT_EQ(wordAt(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FxBk");
  EXPECT_EQ(wordAt(bytes, 12), 2u);  // format 2: with the current program
  EXPECT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 20), "TWgw");
  EXPECT_EQ(wordAt(bytes, 20), 3u);
  EXPECT_EQ(wordAt(bytes, 24), 2u);
  EXPECT_EQ(wordAt(bytes, 28), 1u);
  const std::size_t second = 156 + 68;
  EXPECT_EQ(std::string(bytes.begin() + second, bytes.begin() + second + 4), "CcnK");
  EXPECT_EQ(wordAt(bytes, second + 4), 68u - 8);
  EXPECT_EQ(std::string(bytes.begin() + second + 8, bytes.begin() + second + 12), "FxCk");
  EXPECT_EQ(wordAt(bytes, second + 24), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[second + 28])), "Second");
  EXPECT_EQ(wordAt(bytes, second + 56), 0x3F000000u);  // 0.5, big-endian

  ProgramBank read;
  std::string error;
  ASSERT_TRUE(decodeBank(bytes, read, error)) << error;
  EXPECT_EQ(read.uniqueId, smallBank().uniqueId);
  EXPECT_EQ(read.currentProgram, 1);
  ASSERT_EQ(read.programs.size(), 2u);
  EXPECT_EQ(read.programs[1].name, "Second");
  EXPECT_EQ(read.programs[1].values, smallBank().programs[1].values);
}

TEST(ProgramBank, RefusesDamagedFilesWithTheReason) {
  const std::vector<std::uint8_t> good = encodeBank(smallBank());
  struct Damage {
    std::size_t at;
    std::uint8_t byte;
    const char* reason;
  };
  const Damage damages[] = {
      {0, 'X', "not a VST bank file"},
      {8, 'X', "not a VST bank file"},
      {15, 7, "format 7"},
      {27, 0, "claims 0 programs"},
      {156 + 8, 'X', "program 1 is not a parameter program"},
      {156 + 16, 'X', "program 1 belongs to another plug-in"},
      {156 + 68 + 27, 4, "program 2 has 4 parameters"},
      {156 + 56, 0x7F, "outside 0 to 1"},  // the first value becomes NaN
      {156 + 56, 0x40, "outside 0 to 1"},  // 2.0
  };
  for (const Damage& damage : damages) {
    std::vector<std::uint8_t> bytes = good;
    bytes[damage.at] = damage.byte;
    if (damage.byte == 0x7F) bytes[damage.at + 1] = 0xC0;
    ProgramBank bank;
    std::string error;
    EXPECT_FALSE(decodeBank(bytes, bank, error)) << damage.reason;
    EXPECT_NE(error.find(damage.reason), std::string::npos) << error;
  }
  std::vector<std::uint8_t> chunk = good;
  chunk[10] = 'C';
  chunk[11] = 'h';
  chunk[9] = 'B';
  chunk[8] = 'F';
  ProgramBank bank;
  std::string error;
  EXPECT_FALSE(decodeBank(chunk, bank, error));
  EXPECT_NE(error.find("own chunk"), std::string::npos) << error;
  // Every shortening is refused, never read past.
  for (std::size_t size = 0; size < good.size(); ++size) {
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + size);
    EXPECT_FALSE(decodeBank(cut, bank, error)) << size;
  }
  std::vector<std::uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_FALSE(decodeBank(longer, bank, error));
}

class ModuleBank : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    module_ = Module::load(GW_MODULE, error);
    ASSERT_NE(module_, nullptr) << error;
    dir_ = std::filesystem::path(testing::TempDir()) / "program_bank_test";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::unique_ptr<Plugin> create() {
    std::string error;
    auto plugin = Plugin::create(*module_, error);
    EXPECT_NE(plugin, nullptr) << error;
    return plugin;
  }

  std::unique_ptr<Module> module_;
  std::filesystem::path dir_;
};

// An edited program, its name and the current program come back in a new instance.
TEST_F(ModuleBank, EveryProgramSurvivesASaveAndALoad) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  plugin->dispatch(vst::effSetProgram, 0, 5);
  plugin->setParameter(139, 0.25f);
  char name[] = "My Squawk";
  plugin->dispatch(vst::effSetProgramName, 0, 0, name);
  const ProgramBank before = readBank(*plugin);
  const std::string path = (dir_ / "bank.fxb").string();
  std::string error;
  ASSERT_TRUE(saveBankFile(path, *plugin, error)) << error;
  EXPECT_EQ(plugin->dispatch(vst::effGetProgram), 5) << "saving keeps the current program";

  auto fresh = create();
  ASSERT_TRUE(loadBankFile(path, *fresh, error)) << error;
  EXPECT_EQ(fresh->dispatch(vst::effGetProgram), 5);
  EXPECT_EQ(fresh->programName(), "My Squawk");
  const ProgramBank after = readBank(*fresh);
  ASSERT_EQ(after.programs.size(), 32u);
  for (std::size_t p = 0; p < 32; ++p) {
    EXPECT_EQ(after.programs[p].name, before.programs[p].name);
    for (std::size_t i = 0; i < after.programs[p].values.size(); ++i)
      EXPECT_NEAR(after.programs[p].values[i], before.programs[p].values[i], 1e-6) << p << " " << i;
  }
  EXPECT_NEAR(after.programs[5].values[139], 0.25f, 1e-6);
}

// A refused bank changes nothing in the instance and a failed save leaves the old file.
TEST_F(ModuleBank, RefusalsAndFailedSavesLeaveEverythingAsItWas) {
  auto plugin = create();
  ASSERT_NE(plugin, nullptr);
  const ProgramBank factory = readBank(*plugin);
  ProgramBank foreign = factory;
  foreign.uniqueId = vst::fourCC('F', 'a', 'k', 'e');
  foreign.programs[0].values[0] = 0.1f;
  const std::string path = (dir_ / "foreign.fxb").string();
  const std::vector<std::uint8_t> bytes = encodeBank(foreign);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  std::string error;
  EXPECT_FALSE(loadBankFile(path, *plugin, error));
  EXPECT_NE(error.find("another plug-in ('Fake', not 'TWgw')"), std::string::npos) << error;
  EXPECT_EQ(readBank(*plugin).programs[0].values, factory.programs[0].values);

  // The folder cannot take the new file: the save fails and the old file stays.
  std::filesystem::permissions(
      dir_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool rootIgnoresPermissions = std::ofstream(dir_ / "probe").good();
  EXPECT_TRUE(rootIgnoresPermissions || !saveBankFile(path, *plugin, error));
  std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> kept((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(kept, bytes);
  EXPECT_FALSE(saveBankFile((dir_ / "missing" / "bank.fxb").string(), *plugin, error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

}  // namespace
}  // namespace gw::host
