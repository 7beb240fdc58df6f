#include "host/render/parameters.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "params/parameter_model.h"

namespace gw::render {

namespace {

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

bool parseIndex(std::string_view text, int& out) {
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

bool parseValue(const std::string& text, ParameterUnit unit, float& out) {
  if (unit == ParameterUnit::Boolean) {
    if (sameText(text, "on") || sameText(text, "true")) {
      out = 1.0f;
      return true;
    }
    if (sameText(text, "off") || sameText(text, "false")) {
      out = 0.0f;
      return true;
    }
  }
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

bool resolveNormalised(const ParameterSetting& setting, host::Plugin& plugin,
                       ParameterChange& change, std::string& error) {
  const int count = plugin.effect()->numParams;
  int index = -1;
  if (!parseIndex(setting.key, index)) {
    for (int i = 0; i < count && index < 0; ++i)
      if (sameText(plugin.parameterName(i), setting.key)) index = i;
    if (index < 0 && count == param::kCount) {
      std::string ignored;
      index = findTableParameter(setting.key, ignored);
    }
  }
  if (index < 0 || index >= count)
    return fail(error, "the module has no parameter '" + setting.key + "'");
  float value = 0.0f;
  if (!parseValue(setting.value, ParameterUnit::Generic, value) || value < 0.0f || value > 1.0f)
    return fail(error, "normalised value '" + setting.value + "' is not a number from 0 to 1");
  change = {index, value};
  return true;
}

}  // namespace

bool resolveOwnUnits(const ParameterSetting& setting, ParameterChange& change, std::string& error) {
  const int index = findTableParameter(setting.key, error);
  if (index < 0) return false;
  const ParameterInfo& row = kParameterTable[index];
  const std::string name = std::string(row.name) + " (" + std::to_string(index) + ")";
  if (param::isUnused(index)) return fail(error, name + " is unused and cannot be set");
  float value = 0.0f;
  if (!parseValue(setting.value, row.unit, value))
    return fail(error, name + ": '" + setting.value + "' is not a number");
  if (value < row.minimum || value > row.maximum) {
    std::string label = unitLabel(row.unit);
    error = name + ": " + setting.value + " is outside " + number(row.minimum) + " to " +
            number(row.maximum) + (label.empty() ? "" : " " + label);
    return false;
  }
  change = {index, toNormalised(index, value)};
  return true;
}

int findTableParameter(std::string_view key, std::string& error) {
  int index = -1;
  if (parseIndex(key, index)) {
    if (isParameterIndex(index)) return index;
    error = "parameter index " + std::string(key) + " is outside 0 to " +
            std::to_string(param::kCount - 1);
    return -1;
  }
  int found = -1;
  for (int i = 0; i < param::kCount; ++i) {
    if (!sameText(kParameterTable[i].name, key)) continue;
    if (found >= 0) {
      error = "'" + std::string(key) + "' names several parameters; give an index";
      return -1;
    }
    found = i;
  }
  if (found < 0) error = "unknown parameter '" + std::string(key) + "'";
  return found;
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
      if (plugin.effect()->numParams != param::kCount) {
        error = "parameter units are known only for modules with " + std::to_string(param::kCount) +
                " parameters; use --set-normalised";
        return false;
      }
      if (!resolveOwnUnits(setting, change, error)) return false;
    }
    changes.push_back(change);
  }
  return true;
}

bool findProgram(const std::string& key, host::Plugin& plugin, int& index, std::string& error) {
  const int count = plugin.effect()->numPrograms;
  if (parseIndex(key, index)) {
    if (index >= 0 && index < count) return true;
    error = "program " + key + " does not exist (the module has " + std::to_string(count) +
            ", numbered from 0)";
    return false;
  }
  for (int i = 0; i < count; ++i) {
    if (sameText(plugin.programNameIndexed(i), key)) {
      index = i;
      return true;
    }
  }
  error = "the module has no program named '" + key + "'";
  return false;
}

}  // namespace gw::render
