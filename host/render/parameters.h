// Turning the command line's program and parameter choices into host calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/host_library.h"
#include "host/render/options.h"

namespace gw::render {

struct ParameterChange {
  int index = 0;
  float normalised = 0.0f;
};

// Finds a row of the synthesiser's parameter table by full name (letter case aside) or
// by index. -1 with the reason when there is no such row or the name is not unique.
int findTableParameter(std::string_view key, std::string& error);

// One setting in the parameter's own units, checked against its row's range.
bool resolveOwnUnits(const ParameterSetting& setting, ParameterChange& change, std::string& error);

// Resolves every setting to a host call. Values in the parameter's own units are checked
// against the row's range and converted as the module converts them; normalised values
// must lie in 0..1 and may also name a parameter by its host-visible name.
bool resolveParameters(const std::vector<ParameterSetting>& settings, host::Plugin& plugin,
                       std::vector<ParameterChange>& changes, std::string& error);

// A program by number or by name (letter case aside), checked against the module.
bool findProgram(const std::string& key, host::Plugin& plugin, int& index, std::string& error);

}  // namespace gw::render
