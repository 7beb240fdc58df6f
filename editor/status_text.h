// The status line and the floating tooltip: what the UI thread publishes of the hovered
// or edited parameter for the render thread, and how the tooltip eases in and out.
#pragma once

#include <cstdint>

namespace gw {

// Published whole by the UI thread after every idle; the render thread draws from its
// copy and never asks the plug-in itself.
struct StatusText {
  std::int32_t index = -1;  // a parameter, a button's command id (<= -2), or -1 for none
  char name[32] = {};
  char value[64] = {};
  char label[64] = {};
  char command[96] = {};  // the status string of a command id
};

// The floating tooltip's opacity after one more frame: towards 1 while it has something
// to show, else towards 0, reaching exactly 0 once below 1/255.
inline float easeTooltipAlpha(float alpha, bool showing) {
  if (showing) return 0.84f * alpha + 0.16f;
  alpha *= 0.89f;
  return alpha < 0.003921569f ? 0.0f : alpha;
}

// The tooltip's left edge: centred on the anchor, kept 5 units inside the design width.
inline float tooltipLeft(float anchorCentreX, float width) {
  float x = anchorCentreX - width / 2;
  if (x < 5.0f) x = 5.0f;
  if (x > 605.0f - width) x = 605.0f - width;
  return x;
}

}  // namespace gw
