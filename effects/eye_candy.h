// What the animated effects (ripples, vortex) share: the "Enable eye candy" switch that
// gates them, and the ageing of their fixed slot arrays.
#pragma once

#include <atomic>

#include "effects/effect.h"
#include "gfx/display_flags.h"

namespace TW {

// Thread: any. Read at every step and draw, so a changed switch counts from the next one.
inline bool eyeCandyOn() {
  return gw::displayFlags().eyeCandy.load(std::memory_order_relaxed);
}

// Live entries fill the first count slots. Each ages by one step; one whose lifetime is
// reached is replaced by the last live entry, which is examined in the same pass, so
// nothing is allocated or shifted and slot order is not kept. survive(entry) runs for
// the others. Entries need float age and lifetime.
template <class Entry, class Survive>
void ageSlots(Entry* entries, int& count, Survive&& survive) {
  for (int i = 0; i < count;) {
    Entry& entry = entries[i];
    entry.age += Effect::kStepSeconds;
    if (entry.lifetime <= entry.age) {
      entry = entries[--count];
      continue;
    }
    survive(entry);
    ++i;
  }
}

}  // namespace TW
