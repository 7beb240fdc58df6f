#include "gfx/display_flags.h"

#include "platform/preferences.h"

namespace gw {

DisplayFlags& displayFlags() {
  static DisplayFlags flags;
  return flags;
}

void loadDisplayFlags() {
  DisplayFlags& flags = displayFlags();
  flags.eyeCandy.store(platform::readPreference(kPrefEyeCandy, 1) != 0, std::memory_order_relaxed);
  flags.constantRedraw.store(platform::readPreference(kPrefConstantRedraw, 1) != 0,
                             std::memory_order_relaxed);
  flags.floatingTooltip.store(platform::readPreference(kPrefFloatingTooltip, 0) != 0,
                              std::memory_order_relaxed);
}

std::int32_t guiScalePercent() {
  const std::int32_t scale = platform::readPreference(kPrefGuiScale, 100);
  return scale >= 25 && scale <= 400 ? scale : 100;
}

void toggleFloatingTooltip() {
  auto& flag = displayFlags().floatingTooltip;
  const bool on = !flag.load(std::memory_order_relaxed);
  flag.store(on, std::memory_order_relaxed);
  platform::writePreference(kPrefFloatingTooltip, on ? 1 : 0);
}

}  // namespace gw
