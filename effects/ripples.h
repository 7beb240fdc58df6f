// The expanding, glowing squares that controls start when the pointer enters or presses
// them: 32 slots, aged by the fixed step, drawn as textured additive quads.
#pragma once

#include <array>
#include <cstdint>

#include "effects/effect.h"
#include "effects/request_queue.h"
#include "toolkit/effect_requests.h"

namespace gw {
class Texture;
}

namespace TW {

struct Ripple {
  float x = 0.0f, y = 0.0f;                                   // centre, window pixels
  float red = 0.0f, green = 0.0f, blue = 0.0f, alpha = 0.0f;  // alpha: the peak
  float radius = 0.0f;                                        // half the side of the square, pixels
  float lifetime = 0.0f;                                      // seconds
  float age = 0.0f;                                           // seconds
  float growth = 0.0f;                                        // pixels a second
};

// One corner of a drawn ripple: texture coordinates, colour, position.
struct RippleVertex {
  float s, t;
  float red, green, blue, alpha;
  float x, y, z;
};

class Ripples : public Effect, public RippleSink {
 public:
  static constexpr int kSlots = 32;
  // Requests a frame may bring: pointer events arrive far slower than that.
  static constexpr std::uint32_t kRequestCapacity = 64;

  // The texture is the render window's and is not owned; null draws untextured squares.
  explicit Ripples(const gw::Texture* texture) : texture_(texture) {}

  // Thread: UI. Asks for a ripple of age 0; colour is red, green, blue, peak alpha. It
  // lands at the next step when fewer than 32 are live, and is dropped otherwise, or when
  // the requests of one frame overflow. A null colour, a lifetime that is not positive
  // and values that are not finite are refused.
  void addRipple(float x, float y, const float colour[4], float radius, float lifetime,
                 float growth) override;

  // Thread: render. Takes the waiting requests (also with eye candy off: they land in
  // slots but neither age nor show), then ages and grows the live ripples.
  void step() override;
  void draw2D() override;

  // Thread: render.
  int count() const { return count_; }
  const Ripple& ripple(int slot) const { return ripples_[slot]; }

  // Brightness over a life: rises over its first sixth to 1, falls to 0 at its end.
  static float envelope(float age, float lifetime);
  // The four corners of a ripple's square, counter-clockwise from the bottom left.
  static void writeQuad(const Ripple& ripple, RippleVertex* four);

 private:
  void land(const Ripple& request);

  const gw::Texture* texture_;
  std::array<Ripple, kSlots> ripples_{};
  int count_ = 0;
  RequestQueue<Ripple, kRequestCapacity> requests_;
  std::array<RippleVertex, 4 * kSlots> quads_{};
};

}  // namespace TW
