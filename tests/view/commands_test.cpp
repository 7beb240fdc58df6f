// The waveform buttons' commands: the levels they write, in which order, each in a
// gesture of its own, and that they touch nothing else.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tests/view/table_port.h"
#include "view/waveform_commands.h"

namespace gw {
namespace {

class CommandsTest : public ::testing::Test {
 protected:
  std::array<float, 16> levels() const {
    std::array<float, 16> out;
    for (int n = 1; n <= 16; ++n) out[n - 1] = port.currentValue(n);
    return out;
  }
  // Each written level framed by its own begin and end, and nothing else called.
  void expectOneGesturePerWrite() const {
    std::vector<std::string> expected;
    for (const auto& write : port.writes) {
      const std::string n = std::to_string(write.first);
      expected.insert(expected.end(), {"begin " + n, "write " + n, "end " + n});
    }
    EXPECT_EQ(port.calls, expected);
  }
  std::vector<int> order() const {
    std::vector<int> out;
    for (const auto& write : port.writes) out.push_back(write.first);
    return out;
  }

  PendingChanges pending;
  test::TablePort port{pending};
};

TEST_F(CommandsTest, SquareWritesTheOddHarmonicsAscendingThenZeroesTheEvenOnes) {
  writeWaveform(port, Waveform::Square);
  EXPECT_EQ(order(), (std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15, 2, 4, 6, 8, 10, 12, 14, 16}));
  for (int n = 1; n <= 16; ++n) {
    EXPECT_FLOAT_EQ(port.currentValue(n), n % 2 == 1 ? 1.0f / n : 0.0f) << n;
  }
  expectOneGesturePerWrite();
}

TEST_F(CommandsTest, TriangleAlternatesTheOddHarmonicsAndTwiceGivesTheSameLevels) {
  writeWaveform(port, Waveform::Triangle);
  const std::array<float, 16> once = levels();
  const float odd[] = {1.0f,      -1.0f / 9,   1.0f / 25,  -1.0f / 49,
                       1.0f / 81, -1.0f / 121, 1.0f / 169, -1.0f / 225};
  for (int i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(once[2 * i], odd[i]) << 2 * i + 1;
    EXPECT_EQ(once[2 * i + 1], 0.0f);
  }
  port.writes.clear();
  port.calls.clear();
  writeWaveform(port, Waveform::Triangle);
  expectOneGesturePerWrite();
  EXPECT_EQ(levels(), once);
  EXPECT_EQ(order(), (std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15, 2, 4, 6, 8, 10, 12, 14, 16}));
}

TEST_F(CommandsTest, SawThenSquareZeroesTheEvenHarmonics) {
  writeWaveform(port, Waveform::Saw);
  std::vector<int> ascending;
  for (int n = 1; n <= 16; ++n) {
    ascending.push_back(n);
    EXPECT_FLOAT_EQ(port.currentValue(n), 1.0f / n);
  }
  EXPECT_EQ(order(), ascending);
  expectOneGesturePerWrite();
  writeWaveform(port, Waveform::Square);
  for (int n = 2; n <= 16; n += 2) EXPECT_EQ(port.currentValue(n), 0.0f) << n;
  for (int n = 1; n <= 16; n += 2) EXPECT_FLOAT_EQ(port.currentValue(n), 1.0f / n) << n;
}

TEST_F(CommandsTest, SineKeepsOnlyTheFundamentalAndNoOtherParameterMoves) {
  port.setParameterFromEditor(127, 0.3f);  // pulse width
  port.setParameterFromEditor(83, 2.0f);   // an envelope selection
  port.writes.clear();
  port.calls.clear();
  writeWaveform(port, Waveform::Sine);
  expectOneGesturePerWrite();
  std::vector<int> ascending;
  for (int n = 1; n <= 16; ++n) ascending.push_back(n);
  EXPECT_EQ(order(), ascending);
  EXPECT_EQ(port.currentValue(1), 1.0f);
  for (int n = 2; n <= 16; ++n) EXPECT_EQ(port.currentValue(n), 0.0f);
  EXPECT_FLOAT_EQ(port.currentValue(127), 0.3f);
  EXPECT_EQ(port.currentValue(83), 2.0f);
}

}  // namespace
}  // namespace gw
