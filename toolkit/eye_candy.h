// What the toolkit's elements ask of the eye candy: a ripple at a point and a pull of
// the vortex. The effects live outside the tree; an element holds plain pointers to
// them, which may be null (no effect, nothing happens).
#pragma once

#include <array>

namespace TW {
class Ripples;
class Vortex;
}  // namespace TW

namespace gw {

using Colour = std::array<float, 4>;

// Every element's ripple lives 2.0 time units and grows at 30 units per time unit.
constexpr float kRippleLifetime = 2.0f;
constexpr float kRippleGrowth = 30.0f;

// Thread: UI. Points are absolute design units.
void requestRipple(TW::Ripples* ripples, float x, float y, const Colour& colour, float radius);
void pullVortex(TW::Vortex* vortex, float x, float y);

}  // namespace gw
