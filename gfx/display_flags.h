// The per-user preferences and the process-wide display switches read from them.
#pragma once

#include <atomic>
#include <cstdint>

namespace gw {

inline constexpr const char* kPrefGuiScale = "GUI scale";
inline constexpr const char* kPrefEyeCandy = "Enable eye candy";
inline constexpr const char* kPrefConstantRedraw = "Enable constant redraw";
inline constexpr const char* kPrefFloatingTooltip = "Enable floating tooltip";

// One set for every editor of the process; the UI thread writes, render threads read.
struct DisplayFlags {
  std::atomic<bool> eyeCandy{true};
  // Stored only: the render thread always draws at its fixed pace.
  std::atomic<bool> constantRedraw{true};
  std::atomic<bool> floatingTooltip{false};
};
DisplayFlags& displayFlags();

// Thread: UI. Re-reads the three switches (done each time a view is built).
void loadDisplayFlags();
// Thread: UI. "GUI scale" in percent; values outside 25..400 are refused as 100, since a
// zero, negative or huge size would leave the host with an unusable window.
std::int32_t guiScalePercent();

// Thread: UI. Inverts the floating-tooltip switch and stores it at once.
void toggleFloatingTooltip();

}  // namespace gw
