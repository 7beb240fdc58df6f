#include "host/render/parameters.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "host/program_bank.h"
#include "params/parameter_model.h"
#include "params/value_texts.h"

namespace gw::render {

namespace {

constexpr std::int32_t kGlimmerwickId = vst::fourCC('T', 'W', 'g', 'w');

bool fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

bool parseIndex(std::string_view text, int& out) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

bool parseNumber(const std::string& text, float& out) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value)) return false;
  out = static_cast<float>(value);
  return true;
}

std::string number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string settingText(const ParameterSetting& setting) {
  return std::string(setting.normalised ? "--set-normalised" : "--set") + " '" + setting.key + "=" +
         setting.value + "': ";
}

bool resolveNormalised(const ParameterSetting& setting, host::Plugin& plugin,
                       ParameterChange& change, std::string& error) {
  const int count = plugin.effect()->numParams;
  int index = -1;
  if (describedByTable(plugin)) {
    index = findTableParameter(setting.key, error);
    if (index < 0) return fail(error, settingText(setting) + error);
  } else if (!parseIndex(setting.key, index)) {
    std::string several;
    index = host::findByName(
        count, [&](int i) { return plugin.parameterName(i); }, setting.key, several);
    if (index == -2)
      return fail(error, settingText(setting) + "it starts several names (" + several +
                             "); give more of it or an index");
  }
  if (index < 0 || index >= count)
    return fail(error,
                settingText(setting) + "the module has no such parameter (--info lists them)");
  float value = 0.0f;
  if (!parseNumber(setting.value, value) || value < 0.0f || value > 1.0f)
    return fail(error, settingText(setting) + "a host value is a number from 0 to 1");
  change = {index, value};
  return true;
}

}  // namespace

bool describedByTable(host::Plugin& plugin) {
  return plugin.effect()->uniqueID == kGlimmerwickId && plugin.effect()->numParams == param::kCount;
}

std::vector<std::pair<std::string, float>> valueWords(int index) {
  std::vector<std::pair<std::string, float>> words;
  if (!isParameterIndex(index)) return words;
  const ParameterInfo& row = kParameterTable[index];
  const auto names = valueNameTexts(index);
  for (std::size_t i = 0; i < names.size(); ++i)
    words.emplace_back(names[i], row.minimum + static_cast<float>(i));
  for (const SpecialText& special : specialTexts(index))
    words.emplace_back(special.text, special.value);
  if (row.unit == ParameterUnit::Boolean) {
    words.emplace_back("Off", 0.0f);
    words.emplace_back("On", 1.0f);
  }
  return words;
}

int findTableParameter(std::string_view key, std::string& error) {
  int index = -1;
  if (parseIndex(key, index)) {
    if (isParameterIndex(index)) return index;
    error = "parameter index " + std::string(key) + " is outside 0 to " +
            std::to_string(param::kCount - 1);
    return -1;
  }
  std::string several;
  const int found = host::findByName(
      param::kCount, [](int i) { return isInert(i) ? std::string() : kParameterTable[i].name; },
      key, several);
  if (found == -2)
    error = "'" + std::string(key) + "' starts several names (" + several +
            "); give more of it or an index";
  if (found == -1)
    error = "no parameter's name is or starts with '" + std::string(key) + "' (--info lists them)";
  return found < 0 ? -1 : found;
}

bool resolveOwnUnits(const ParameterSetting& setting, ParameterChange& change, std::string& error) {
  const int index = findTableParameter(setting.key, error);
  if (index < 0) return fail(error, settingText(setting) + error);
  const ParameterInfo& row = kParameterTable[index];
  const std::string name = std::string(row.name) + " (" + std::to_string(index) + ")";
  if (isInert(index))
    return fail(error, settingText(setting) + name + " is unused and cannot be set");
  const auto words = valueWords(index);
  for (const auto& [word, value] : words) {
    if (!host::sameText(word, setting.value)) continue;
    change = {index, toNormalised(index, value)};
    return true;
  }
  float value = 0.0f;
  bool valid = parseNumber(setting.value, value);
  if (!valid && row.unit == ParameterUnit::Boolean) {
    valid = host::sameText(setting.value, "true") || host::sameText(setting.value, "false");
    value = host::sameText(setting.value, "true") ? 1.0f : 0.0f;
  }
  if (!valid || value < row.minimum || value > row.maximum) {
    const std::string label = unitLabel(row.unit);
    std::string takes = "a number from " + number(row.minimum) + " to " + number(row.maximum) +
                        (label.empty() ? "" : " " + label);
    std::string wordList;
    for (const auto& [word, ignored] : words)
      if (wordList.find(word) == std::string::npos)
        wordList += (wordList.empty() ? "" : ", ") + word;
    if (!wordList.empty()) takes += " or one of " + wordList;
    return fail(error,
                settingText(setting) + name + " takes " + takes + ", not '" + setting.value + "'");
  }
  change = {index, toNormalised(index, value)};
  return true;
}

bool resolveParameters(const std::vector<ParameterSetting>& settings, host::Plugin& plugin,
                       std::vector<ParameterChange>& changes, std::string& error) {
  changes.clear();
  for (const ParameterSetting& setting : settings) {
    ParameterChange change;
    if (setting.normalised) {
      if (!resolveNormalised(setting, plugin, change, error)) return false;
    } else {
      // Our table describes our module only; another module's units are unknown to us.
      if (!describedByTable(plugin)) {
        return fail(error, settingText(setting) +
                               "this module's units are unknown here; use --set-normalised");
      }
      if (!resolveOwnUnits(setting, change, error)) return false;
    }
    changes.push_back(change);
  }
  return true;
}

}  // namespace gw::render
