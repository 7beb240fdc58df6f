// Names for the values of indexed parameters and texts for special values: as plain text
// (the data, also written into the LV2 description) and as interned text objects.
#pragma once

#include <span>

#include "params/cf_types.h"

namespace gw {

// A value that a parameter shows as a word instead of a number.
struct SpecialText {
  float value;
  const char* text;
};

// The names of internal values 0, 1, 2 ... of an indexed parameter (Env Select, LFO
// Multiplier); empty for parameters without names. Thread: any.
std::span<const char* const> valueNameTexts(int index);

// The values of a parameter that show as words ("Inf", "Band"); empty for parameters
// without value texts. Thread: any.
std::span<const SpecialText> specialTexts(int index);

// valueNameTexts as interned text objects. Built once, thread-safely, on first use and
// kept for the life of the process. Thread: any.
std::span<CFString* const> valueNames(int index);

// The text a parameter shows for a value instead of a number ("Inf", "Band"): false when
// the parameter has no value texts; otherwise true, with *text the interned string or
// null when this value has no text. Thread: any.
bool valueText(int index, float value, CFString** text);

}  // namespace gw
