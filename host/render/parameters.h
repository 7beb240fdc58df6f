// Turning the command line's program and parameter choices into host calls.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/host_library.h"
#include "host/render/options.h"

namespace gw::render {

struct ParameterChange {
  int index = 0;
  float normalised = 0.0f;
};

// True when the synthesiser's own parameter table describes the module (Glimmerwick's
// unique id and parameter count): then names are full, values have units and words.
bool describedByTable(host::Plugin& plugin);

// Finds a row of the synthesiser's parameter table by full name, by the unique start of
// one (letter case aside, inert rows left out) or by index. -1 with the reason when there
// is no such row or the start fits several.
int findTableParameter(std::string_view key, std::string& error);

// The words a row shows for some of its values, with those values in its own units:
// value names ("None", "1" ...), special values ("Inf", "Low" ...), "Off"/"On".
std::vector<std::pair<std::string, float>> valueWords(int index);

// One setting in the parameter's own units or as a word it shows, checked against its
// row's range. Words come first: "LFO 1 Multiplier=10" is the value shown as "10".
bool resolveOwnUnits(const ParameterSetting& setting, ParameterChange& change, std::string& error);

// Resolves every setting to a host call. Values in the parameter's own units are checked
// against the row's range and converted as the module converts them; normalised values
// must lie in 0..1 and may name a parameter by its host-visible name or its unique start.
// Errors name the option and the setting.
bool resolveParameters(const std::vector<ParameterSetting>& settings, host::Plugin& plugin,
                       std::vector<ParameterChange>& changes, std::string& error);

}  // namespace gw::render
