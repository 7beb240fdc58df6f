// A known sequence in place of rand() for the vortex: values are taken from the front of
// scriptedValues; when none are left, 32767, which never spawns a point.
#pragma once

#include <deque>

namespace gw::test {

inline std::deque<int> scriptedValues;

inline int scriptedRandom() {
  if (scriptedValues.empty()) return 32767;
  const int r = scriptedValues.front();
  scriptedValues.pop_front();
  return r;
}

}  // namespace gw::test
