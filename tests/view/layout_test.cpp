// The synthesiser's layout over the real parameter table: where every group sits, which
// control each parameter is bound to, and that the empty rows have none.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "effects/ripple_knob_renderer.h"
#include "tests/view/table_port.h"
#include "toolkit/additive_waveform.h"
#include "toolkit/button.h"
#include "toolkit/element_host.h"
#include "toolkit/env_display.h"
#include "toolkit/envelope_groups.h"
#include "toolkit/multi_slider.h"
#include "toolkit/named_group.h"
#include "toolkit/ripple_knob.h"
#include "view/synth_layout.h"

namespace gw {
namespace {

constexpr float kTolerance = 0.01f;

// One placed thing, in the coordinates of the titled group that holds it.
struct Placed {
  std::string name;  // parameter name, or "levels", "selects", "display"
  float x0, y0, x1, y1;
};

class LayoutTest : public ::testing::Test {
 protected:
  LayoutTest() { buildSynthLayout(host, effects, &LayoutTest::command, this); }

  static void command(TW::Button& button, void* context) {
    static_cast<LayoutTest*>(context)->commands.push_back(button.id());
  }

  // Everything under group, depth first in adding order; nested groups add their offset.
  static void collect(const TW::Group& group, float dx, float dy, std::vector<Placed>& out) {
    for (const TW::UIElement* child : group.children()) {
      if (const auto* inner = dynamic_cast<const TW::Group*>(child)) {
        collect(*inner, dx + inner->offsetX(), dy + inner->offsetY(), out);
        continue;
      }
      Box box;
      child->addBounds(box);
      std::string name = "display";
      if (const auto* knob = dynamic_cast<const TW::RippleKnob*>(child)) {
        name = knob->record().name;
      } else if (const auto* bank = dynamic_cast<const TW::MultiSlider*>(child)) {
        name = std::string("bank ") + bank->record(0).name;
      }
      out.push_back({name, box.minX + dx, box.minY + dy, box.maxX + dx, box.maxY + dy});
    }
  }
  const TW::Group& titled(std::string_view title) const {
    for (const TW::UIElement* child : host.root().children()) {
      const auto* group = dynamic_cast<const TW::NamedGroup*>(child);
      if (group != nullptr && title == group->title()) return *group;
    }
    ADD_FAILURE() << "no group " << title;
    return host.root();
  }
  std::vector<Placed> contents(std::string_view title) const {
    std::vector<Placed> out;
    collect(titled(title), 0.0f, 0.0f, out);
    return out;
  }

  PendingChanges pending;
  test::TablePort port{pending};
  ElementHost host{port, pending};
  TW::RippleKnobRenderer knobs;
  TW::ControlEffects effects{knobs, nullptr, nullptr, nullptr};
  std::vector<int> commands;
};

void expectPlaced(const std::vector<Placed>& seen, const std::vector<Placed>& expected,
                  std::string_view group) {
  ASSERT_EQ(seen.size(), expected.size()) << group;
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(std::string(group) + " #" + std::to_string(i) + " " + expected[i].name);
    EXPECT_EQ(seen[i].name, expected[i].name);
    EXPECT_NEAR(seen[i].x0, expected[i].x0, kTolerance);
    EXPECT_NEAR(seen[i].y0, expected[i].y0, kTolerance);
    EXPECT_NEAR(seen[i].x1, expected[i].x1, kTolerance);
    EXPECT_NEAR(seen[i].y1, expected[i].y1, kTolerance);
  }
}

Placed knob(std::string name, float x, float y, float size = 20.0f) {
  return {std::move(name), x, y, x + size, y + size};
}

TEST_F(LayoutTest, GroupsAndButtonsSitWhereTheTableSaysInItsOrder) {
  struct Row {
    const char* title;  // a group's title, a button's label, or "" for the waveform
    float offsetX, offsetY;
    float x0, y0, x1, y1;
  };
  const Row rows[] = {
      {"Modulation", 242, 20, 232, 10, 432, 50},
      {"Levels", 20, 20, 10, 10, 222, 110},
      {"Env Select", 20, 130, 10, 120, 222, 155},
      {"", 0, 0, 232, 60, 488, 155},
      {"Amplitude", 20, 175, 10, 165, 118, 269},
      {"PulseWidth", 138, 175, 128, 165, 236, 269},
      {"Env 1", 20, 289, 10, 279, 140, 385},
      {"Env 2", 160, 289, 150, 279, 280, 385},
      {"Env 3", 300, 289, 290, 279, 420, 385},
      {"Prefs", 0, 0, 498, 10, 533, 35},
      {"Sqr", 0, 0, 498, 50, 533, 75},
      {"Tri", 0, 0, 498, 77.5f, 533, 102.5f},
      {"Saw", 0, 0, 498, 105, 533, 130},
      {"Sin", 0, 0, 498, 132.5f, 533, 157.5f},
      {"Filter Mod", 256, 175, 246, 165, 354, 269},
      {"Filter", 374, 175, 364, 165, 403.535f, 269},
      {"LFO Speeds", 440, 301.474f, 430, 291.474f, 548.8f, 385},
      {"LFO Effects", 440, 199.223f, 430, 214.498f, 548.8f, 282.749f},
      {"Velocity", 440, 175, 430, 165, 558, 205},
      {"Misc", 568.8f, 289, 558.8f, 279, 598.8f, 385},
  };
  const auto& children = host.root().children();
  ASSERT_EQ(children.size(), std::size(rows));
  for (size_t i = 0; i < children.size(); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(std::to_string(i + 1) + " " + row.title);
    const TW::UIElement* child = children[i];
    if (const auto* group = dynamic_cast<const TW::NamedGroup*>(child)) {
      EXPECT_STREQ(group->title(), row.title);
      EXPECT_NEAR(group->offsetX(), row.offsetX, kTolerance);
      EXPECT_NEAR(group->offsetY(), row.offsetY, kTolerance);
    } else if (const auto* button = dynamic_cast<const TW::RippleButton*>(child)) {
      EXPECT_EQ(button->label(), row.title);
    } else {
      EXPECT_NE(dynamic_cast<const TW::AdditiveWaveform*>(child), nullptr);
      EXPECT_STREQ("", row.title);
    }
    const Box frame = child->absoluteBounds();
    EXPECT_NEAR(frame.minX, row.x0, kTolerance);
    EXPECT_NEAR(frame.minY, row.y0, kTolerance);
    EXPECT_NEAR(frame.maxX, row.x1, kTolerance);
    EXPECT_NEAR(frame.maxY, row.y1, kTolerance);
  }
  EXPECT_NE(dynamic_cast<const TW::AdsrGroup*>(children[4]), nullptr);
  for (int i : {6, 7, 8}) EXPECT_NE(dynamic_cast<const TW::EnvGroup*>(children[i]), nullptr);
}

TEST_F(LayoutTest, KnobsBanksAndDisplaysAreThoseTheTablesNameWhereTheyPutThem) {
  std::vector<Placed> modulation;
  for (const char* name :
       {"On/Off", "Wet/Dry", "Delay", "Sweep", "Rate", "Feedback", "Spread", "Voices", "Shape"}) {
    modulation.push_back(knob(std::string("Modulation ") + name, 20.0f * modulation.size(), 0));
  }
  expectPlaced(contents("Modulation"), modulation, "Modulation");
  expectPlaced(contents("Levels"), {{"bank Level 1", 0, 0, 192, 80}}, "Levels");
  expectPlaced(contents("Env Select"), {{"bank Env Select 1", 0, 0, 192, 15}}, "Env Select");
  expectPlaced(contents("Amplitude"),
               {knob("Attack", 0, 22),
                knob("Decay", 22, 22),
                knob("Release", 66, 22),
                knob("Attack Shape", 0, 0),
                knob("Decay Shape", 22, 0),
                knob("Release Shape", 66, 0),
                knob("Sustain", 44, 22),
                {"display", 0, 44, 88, 84}},
               "Amplitude");
  for (const char* prefix : {"PW", "Filter"}) {
    const std::string p = prefix;
    const std::vector<Placed> first =
        p == "PW" ? std::vector<Placed>{knob("Pulse Width", 0, 0), knob("PW LFO Speed", 22, 0),
                                        knob("PW LFO Amount", 44, 0), knob("PW Env Amount", 66, 0)}
                  : std::vector<Placed>{
                        knob("Filter LFO Speed", 0, 0), knob("Filter LFO Amount", 22, 0),
                        knob("Filter LFO Type Amount", 44, 0), knob("Filter Env Amount", 66, 0)};
    std::vector<Placed> expected = first;
    for (Placed envelope : {knob(p + " Env Attack", 0, 22), knob(p + " Env Decay", 22, 22),
                            knob(p + " Env Release", 66, 22), knob(p + " Env Sustain", 44, 22),
                            Placed{"display", 0, 44, 88, 84}}) {
      expected.push_back(envelope);
    }
    expectPlaced(contents(p == "PW" ? "PulseWidth" : "Filter Mod"), expected, p);
  }
  for (int e = 1; e <= 3; ++e) {
    const std::string env = "Env " + std::to_string(e) + " ";
    std::vector<Placed> expected;
    const char* stages[] = {"A1", "A2", "A3", "R1", "R2"};
    for (int i = 0; i < 5; ++i) expected.push_back(knob(env + "Time " + stages[i], 22.0f * i, 44));
    for (int i = 0; i < 5; ++i) expected.push_back(knob(env + "Shape " + stages[i], 22.0f * i, 0));
    const char* levels[] = {"Level A1", "Level A2", "Sustain", "Level R1"};
    for (int i = 0; i < 4; ++i) expected.push_back(knob(env + levels[i], 11.0f + 22.0f * i, 22));
    expected.push_back({"display", 0, 66, 110, 86});
    expectPlaced(contents("Env " + std::to_string(e)), expected, env);
  }
  // Column knobs: four fill the height beside them at a pitch of 1.1 sizes.
  const float s = 19.534883f, p = 21.488372f;
  expectPlaced(contents("Filter"),
               {knob("Filter Cutoff", 0, 3 * p, s), knob("Filter Q", 0, 2 * p, s),
                knob("Filter Type", 0, p, s), knob("Filter KB Track", 0, 0, s)},
               "Filter");
  const float ls = 22.976744f, lp = 25.274419f;
  std::vector<Placed> speeds, effectsRow;
  for (int n = 1; n <= 4; ++n) {
    const std::string lfo = "LFO " + std::to_string(n) + " ";
    const float x = (n - 1) * lp;
    speeds.push_back(knob(lfo + "KB Track", x, 0, ls));
    speeds.push_back(knob(lfo + "Speed", x, lp, ls));
    speeds.push_back(knob(lfo + "Multiplier", x, 2 * lp, ls));
    effectsRow.push_back(knob(lfo + "Amount", x, lp, ls));
    effectsRow.push_back(knob(lfo + "Offset", x, 2 * lp, ls));
  }
  expectPlaced(contents("LFO Speeds"), speeds, "LFO Speeds");
  expectPlaced(contents("LFO Effects"), effectsRow, "LFO Effects");
  std::vector<Placed> velocity;
  for (const char* name :
       {"Env Amount", "Filter Amount", "Filter Env Amount", "PW Amount", "PW Env Amount"}) {
    velocity.push_back(knob(std::string("Velocity ") + name, 22.0f * velocity.size(), 0));
  }
  expectPlaced(contents("Velocity"), velocity, "Velocity");
  expectPlaced(contents("Misc"),
               {knob("Volume", 0, 66), knob("Pitch Wheel Range", 0, 44), knob("Coarse Tune", 0, 22),
                knob("Fine Tune", 0, 0)},
               "Misc");
}

TEST_F(LayoutTest, EveryParameterHasExactlyOneControlAndTheEmptyRowsNone) {
  std::array<int, kParameterCount> controls{};
  for (const auto& element : host.elements()) {
    if (const auto* control = dynamic_cast<const TW::Control*>(element.get())) {
      ++controls[control->record().index];
    } else if (const auto* bank = dynamic_cast<const TW::MultiControl*>(element.get())) {
      for (int i = 0; i < TW::MultiControl::kCount; ++i) ++controls[bank->record(i).index];
    }
  }
  for (int i = 0; i < kParameterCount; ++i) {
    const std::string_view name = kParameterTable[i].name;
    const bool empty = name == "u" || name == "Unused";
    EXPECT_EQ(controls[i], empty ? 0 : 1) << i << " " << name;
    if (empty) {
      EXPECT_FALSE(host.dispatcher().hasListeners(i)) << i;
    }
  }
}

TEST_F(LayoutTest, TheWaveformListensToTheLevelsAndPulseWidthAndTheDisplaysHoldTheirFixedLevels) {
  host.dispatcher().prime();
  auto* waveform = dynamic_cast<TW::AdditiveWaveform*>(host.root().children()[3]);
  ASSERT_NE(waveform, nullptr);
  waveform->refreshCurve();
  port.setParameterFromEditor(127, 0.25f);
  host.dispatcher().flush();
  EXPECT_TRUE(waveform->refreshCurve()) << "Pulse Width is listened to";
  // The amplitude picture rises to full height whatever the sustain.
  port.setParameterFromEditor(40, 0.1f);
  host.dispatcher().flush();
  auto* amplitude = dynamic_cast<TW::AdsrGroup*>(host.root().children()[4]);
  ASSERT_NE(amplitude, nullptr);
  amplitude->display().refreshCurve();
  float top = 0.0f;
  for (const Point& point : amplitude->display().curve()) top = std::max(top, point.y);
  EXPECT_FLOAT_EQ(top, 1.0f);
}

}  // namespace
}  // namespace gw
