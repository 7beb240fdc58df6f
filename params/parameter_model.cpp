#include "params/parameter_model.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace gw {

float toInternal(int index, float x) {
  if (!isParameterIndex(index)) return 0.0f;
  const ParameterInfo& row = kParameterTable[index];
  const float m = row.minimum;
  const float top = row.maximum;
  if (isStepped(index)) return std::floor((top - m) * x + m + 0.5f);
  if (row.unit == ParameterUnit::Hertz) {
    return static_cast<float>(static_cast<double>(m) *
                              std::exp(std::log(static_cast<double>(top) / m) * x));
  }
  return (top - m) * x + m;
}

float toNormalised(int index, float v) {
  if (!isParameterIndex(index)) return 0.0f;
  const ParameterInfo& row = kParameterTable[index];
  const float m = row.minimum;
  const float top = row.maximum;
  if (row.unit == ParameterUnit::Hertz) {
    return static_cast<float>(std::log(static_cast<double>(v) / m) /
                              std::log(static_cast<double>(top) / m));
  }
  if (top == m) return m;
  return (v - m) / (top - m);
}

std::optional<float> acceptNormalised(int index, float normalised) {
  if (!isParameterIndex(index) || param::isUnused(index) || std::isnan(normalised)) return {};
  return toInternal(index, std::clamp(normalised, 0.0f, 1.0f));
}

std::optional<float> acceptValue(int index, float value) {
  if (!isParameterIndex(index) || param::isUnused(index) || std::isnan(value)) return {};
  const ParameterInfo& row = kParameterTable[index];
  value = std::clamp(value, row.minimum, row.maximum);
  return isStepped(index) ? std::floor(value + 0.5f) : value;
}

std::string parameterSymbol(int index) {
  if (!isParameterIndex(index)) return {};
  if (isInert(index)) {
    return (param::isUnused(index) ? "unused_" : "reserved_") + std::to_string(index);
  }
  std::string symbol;
  bool gap = false;
  for (const char* c = kParameterTable[index].name; *c != '\0'; ++c) {
    const unsigned char ch = static_cast<unsigned char>(*c);
    if (std::isalnum(ch) == 0) {
      gap = !symbol.empty();
      continue;
    }
    if (gap) symbol += '_';
    gap = false;
    symbol += static_cast<char>(std::tolower(ch));
  }
  return symbol;
}

const char* unitLabel(ParameterUnit unit) {
  switch (unit) {
    case ParameterUnit::Percent:
      return "%";
    case ParameterUnit::Seconds:
      return "seconds";
    case ParameterUnit::Hertz:
      return "Hz";
    case ParameterUnit::Cents:
      return "cents";
    case ParameterUnit::Decibels:
      return "dB";
    case ParameterUnit::Pan:
      return "L/R";
    case ParameterUnit::Bpm:
      return "BPM";
    case ParameterUnit::Beats:
      return "beats";
    case ParameterUnit::Milliseconds:
      return "ms";
    default:
      return "";
  }
}

void formatValue(float value, char* text, std::size_t size) {
  if (text == nullptr || size == 0) return;
  const double v = value;
  const char* format = v < 10.0 ? "%.3f" : v < 100.0 ? "%.2f" : v < 1000.0 ? "%.1f" : "%.0f";
  std::snprintf(text, size, format, v);
}

void copyText(char* destination, const char* source, std::size_t maxChars) {
  if (destination == nullptr) return;
  if (source == nullptr) source = "";
  const std::size_t n = strnlen(source, maxChars);  // never reads past what it copies
  std::memcpy(destination, source, n);
  destination[n] = '\0';
}

void float2string(float value, char* text, int maxLen) {
  if (text == nullptr || maxLen <= 0) return;
  constexpr int kWidth = 8;  // characters the SDK's number texts fill
  double v = value;
  const bool negative = v < 0.0;
  if (negative) v = -v;
  // The SDK leaves the text unwritten for huge values and drops the leading digits of
  // integers one digit short of that; both get the word here, never a wrong number.
  if (!(v < (negative ? 1e6 : 1e7))) {
    copyText(text, std::isnan(v) ? "NaN" : "Huge!", static_cast<std::size_t>(maxLen));
    return;
  }
  char out[32];
  char digits[16];
  int used = negative ? 2 : 1;  // sign and point
  int count = 0;
  double whole = std::floor(v);
  do {  // integer digits, least significant first
    digits[count++] = static_cast<char>('0' + static_cast<int>(std::fmod(whole, 10.0)));
    whole /= 10.0;
    ++used;
  } while (whole >= 1.0 && used < kWidth);
  int pos = 0;
  if (negative) out[pos++] = '-';
  while (count > 0) out[pos++] = digits[--count];
  out[pos++] = '.';
  const int fractionDigits = kWidth - used;
  double mantissa = std::fmod(v, 1.0) * std::pow(10.0, fractionDigits);
  for (int i = fractionDigits - 1; i >= 0; --i) {  // fraction digits, filled from the right
    out[pos + i] = mantissa <= 0.0
                       ? '0'
                       : static_cast<char>('0' + static_cast<int>(std::fmod(mantissa, 10.0)));
    mantissa /= 10.0;
  }
  pos += fractionDigits > 0 ? fractionDigits : 0;
  out[pos] = '\0';
  copyText(text, out, static_cast<std::size_t>(maxLen));
}

}  // namespace gw
