#include "toolkit/eye_candy.h"

namespace gw {

// The ripple and vortex effects are not built yet: requests go nowhere.
void requestRipple(TW::Ripples*, float, float, const Colour&, float) {}
void pullVortex(TW::Vortex*, float, float) {}

}  // namespace gw
