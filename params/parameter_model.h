// Conversions between the host's normalised values and the parameters' own units, and
// the texts that name units and show values.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "params/parameter_table.h"

namespace gw {

// Rows whose values are whole numbers: indexed units and beats. Thread: any.
constexpr bool isStepped(int index) {
  if (!isParameterIndex(index)) return false;
  const ParameterUnit unit = kParameterTable[index].unit;
  return unit == ParameterUnit::Indexed || unit == ParameterUnit::Beats;
}

// Rows the engine never reads and hosts may not change: "Unused" and the reserved "u".
// Thread: any.
constexpr bool isInert(int index) {
  return param::isUnused(index) || param::isReserved(index);
}

// The stable machine name of a row, as formats that name parameters need it (LV2 port
// symbols): the name in lower case with every run of other characters as one '_'
// ("Modulation On/Off" -> "modulation_on_off"); inert rows are "unused_39",
// "reserved_17". Empty for a bad index. Thread: any (allocates).
std::string parameterSymbol(int index);

// Normalised value (0..1) to internal value by the row's unit; indexed units round to the
// nearest whole value, hertz rows map exponentially. No clamping. 0 for a bad index.
// Thread: any.
float toInternal(int index, float normalised);
// Inverse of toInternal; rows whose range is a single point give that point. Thread: any.
float toNormalised(int index, float internal);

// Taking a value in, whatever the format: the value a row stores for a host's normalised
// value (clamped to 0..1, then converted) or for a value in the row's own unit (clamped to
// the row's range, whole rows rounded to the nearest step). Nothing for a bad index, NaN
// or an "Unused" row, which keep what they hold. Thread: any.
std::optional<float> acceptNormalised(int index, float normalised);
std::optional<float> acceptValue(int index, float value);

// The label hosts show after a value: "Hz", "seconds", "%" ...; empty for most units.
// Thread: any.
const char* unitLabel(ParameterUnit unit);

// Fixed decimals by magnitude: "%.3f" below 10, "%.2f" below 100, "%.1f" below 1000,
// else "%.0f". Writes at most size bytes, always terminated. Thread: any.
void formatValue(float value, char* text, std::size_t size);

// The VST SDK's fixed-width number text: integer digits, a point, then fraction digits
// until 8 characters are used (2 -> "2.000000"), cut to maxLen; "Huge!" when the integer
// digits do not fit. Thread: any.
void float2string(float value, char* text, int maxLen);

// Copies at most maxChars characters of source and always terminates (maxChars + 1 bytes
// at most). Null destination: nothing happens. Thread: any.
void copyText(char* destination, const char* source, std::size_t maxChars);

}  // namespace gw
