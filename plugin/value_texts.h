// Names for the values of indexed parameters and texts for special values, as interned
// text objects.
#pragma once

#include <span>

#include "plugin/cf_types.h"

namespace gw {

// The names of internal values 0, 1, 2 ... of an indexed parameter (Env Select, LFO
// Multiplier); empty for parameters without names. Built once, thread-safely, on first
// use and kept for the life of the process. Thread: any.
std::span<CFString* const> valueNames(int index);

// The text a parameter shows for a value instead of a number ("Inf", "Band"): false when
// the parameter has no value texts; otherwise true, with *text the interned string or
// null when this value has no text. Thread: any.
bool valueText(int index, float value, CFString** text);

}  // namespace gw
