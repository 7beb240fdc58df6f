#include "params/value_texts.h"

#include <array>
#include <cmath>

#include "params/parameter_ids.h"

namespace gw {
namespace {

constexpr std::array<const char*, 4> kEnvSelectNames{"None", "1", "2", "3"};
constexpr std::array<const char*, 3> kLfoMultiplierNames{"1", "10", "100"};

constexpr float kInfiniteTime = 5.0f;
constexpr std::array<SpecialText, 1> kReleaseTexts{{{kInfiniteTime, "Inf"}}};
constexpr std::array<SpecialText, 5> kFilterTypeTexts{
    {{0.0f, "Thru"}, {1.0f, "Low"}, {2.0f, "Band"}, {3.0f, "High"}, {4.0f, "Thru"}}};

template <std::size_t N>
std::array<CFString*, N> intern(const std::array<const char*, N>& texts) {
  std::array<CFString*, N> strings{};
  for (std::size_t i = 0; i < N; ++i) strings[i] = CFSTR(texts[i]);
  return strings;
}

bool isEnvSelect(int index) {
  return index >= param::envSelect(1) && index <= param::envSelect(16);
}

bool isLfoMultiplier(int index) {
  for (int k = 1; k <= 4; ++k) {
    if (index == param::lfoMultiplier(k)) return true;
  }
  return false;
}

// The release times whose top value means "hold until the note ends".
bool isInfiniteRelease(int index) {
  for (int e = 1; e <= 3; ++e) {
    if (index == param::envTimeR2(e)) return true;
  }
  return index == param::kPwEnvRelease || index == param::kFilterEnvRelease;
}

CFString* filterTypeText(float value) {
  static const auto names = [] {
    std::array<const char*, kFilterTypeTexts.size()> texts{};
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = kFilterTypeTexts[i].text;
    return intern(texts);
  }();
  // Filter Type blends continuously; only values at a whole type get its name.
  if (!(value > -0.5f && value < 4.5f)) return nullptr;
  const int n = static_cast<int>(value + 0.5f);
  if (std::fabs(value - static_cast<float>(n)) > 0.005f) return nullptr;
  return names[static_cast<std::size_t>(n)];
}

}  // namespace

std::span<const char* const> valueNameTexts(int index) {
  if (isEnvSelect(index)) return kEnvSelectNames;
  if (isLfoMultiplier(index)) return kLfoMultiplierNames;
  return {};
}

std::span<const SpecialText> specialTexts(int index) {
  if (isInfiniteRelease(index)) return kReleaseTexts;
  if (index == param::kFilterType) return kFilterTypeTexts;
  return {};
}

std::span<CFString* const> valueNames(int index) {
  // Function-local statics: built once even when several threads ask first.
  if (isEnvSelect(index)) {
    static const auto names = intern(kEnvSelectNames);
    return names;
  }
  if (isLfoMultiplier(index)) {
    static const auto names = intern(kLfoMultiplierNames);
    return names;
  }
  return {};
}

bool valueText(int index, float value, CFString** text) {
  if (text == nullptr) return false;
  if (isInfiniteRelease(index)) {
    static CFString* const inf = CFSTR("Inf");
    *text = value == kInfiniteTime ? inf : nullptr;
    return true;
  }
  if (index == param::kFilterType) {
    *text = filterTypeText(value);
    return true;
  }
  return false;
}

}  // namespace gw
