// What a host sees of a module: identity, pins, parameters and programs.
#pragma once

#include <ostream>
#include <string>

#include "host/host_library.h"

namespace gw::render {

void printInfo(host::Plugin& plugin, const std::string& modulePath, std::ostream& out);

}  // namespace gw::render
