// Banks of sixteen vertical sliders painted with the pointer: at every drag step the bar
// under the pointer takes the pointer's height (Control keeps the pressed bar, Shift is
// fine and relative, Alt resets the pressed bar to its default).
#pragma once

#include <array>

#include "toolkit/control.h"
#include "toolkit/effect_requests.h"

namespace TW {

using Colour = std::array<float, 4>;

class MultiSlider : public MultiControl {
 public:
  static constexpr float kWidth = 192.0f;
  static constexpr float kFine = 0.0005f;

  // Hover target for one bar: the slider's hit test answers with the region of the bar
  // under the pointer, so hovering a bar names its parameter. Pointer presses go on to
  // the slider unchanged (points are absolute design units).
  class RegionReceiver : public UIElement {
   public:
    RegionReceiver(gw::ElementHost& window, MultiSlider& slider, int bar)
        : UIElement(window), slider_(slider), bar_(bar) {}

    void mouseDown(gw::Point p, std::uint32_t m) override { slider_.mouseDown(p, m); }
    void mouseDrag(gw::Point p, std::uint32_t m) override { slider_.mouseDrag(p, m); }
    void mouseUp(gw::Point p, std::uint32_t m) override { slider_.mouseUp(p, m); }
    void mouseEnter() override { slider_.regionEnter(bar_); }
    void mouseLeave() override { slider_.regionLeave(bar_); }
    // The bar's column in absolute design units: a region is in no group, and the light
    // that follows the hovered element finds the bar by it.
    void addBounds(gw::Box& box) const override;

    MultiSlider& slider() const { return slider_; }
    int bar() const { return bar_; }

   private:
    MultiSlider& slider_;
    int bar_;
  };

  // The box is (0, 0) to (192, height): 12 units a bar.
  MultiSlider(gw::ElementHost& window, int firstParameter, float height);

  void draw() override;
  void mouseDown(gw::Point point, std::uint32_t modifiers) override;
  void mouseDrag(gw::Point point, std::uint32_t modifiers) override;
  UIElement* hitTest(gw::Point point) override;
  // Thread: UI.
  virtual void regionEnter(int bar);
  virtual void regionLeave(int bar);

  struct BarPosition {
    int bar = 0;
    float height = 0.0f;  // 0 at the bottom of the slider, 1 at the top, clamped
  };
  // point in absolute design units.
  BarPosition barAt(gw::Point point) const;
  RegionReceiver& region(int bar) const { return *regions_[bar]; }

 protected:
  // Absolute centre x of a bar and the absolute y of a value.
  float barCentre(const gw::Box& absolute, int bar) const;

 private:
  std::array<RegionReceiver*, kCount> regions_{};
  float originX_ = 0.0f;
  float originY_ = 0.0f;
  float originValue_ = 0.0f;
  int originBar_ = 0;
};

// Pulls the vortex towards every press.
class RippleMultiSlider : public MultiSlider {
 public:
  using MultiSlider::MultiSlider;

  // Thread: UI, right after construction. lighting: the bars' lit drawing, may be null.
  void setEffects(RippleSink* ripples, CubeSink* vortex, LitSurface* lighting = nullptr) {
    ripples_ = ripples, vortex_ = vortex, lighting_ = lighting;
  }
  void mouseDown(gw::Point point, std::uint32_t modifiers) override;

 protected:
  void ripple(float x, float y, const Colour& colour, float radius);

  RippleSink* ripples_ = nullptr;
  CubeSink* vortex_ = nullptr;
  LitSurface* lighting_ = nullptr;
  // Thread: render. Quadrilaterals with normals, blended and lit.
  void beginBars();
  void endBars();
};

// The sixteen harmonic levels (-1..1) as lit bars above and below a zero line.
class LevelsMultiSlider : public RippleMultiSlider {
 public:
  static constexpr float kHeight = 80.0f;
  LevelsMultiSlider(gw::ElementHost& window, int firstParameter)
      : RippleMultiSlider(window, firstParameter, kHeight) {}

  void draw() override;
  void regionEnter(int bar) override;
  // Normalised value v shows level 2v - 1: blue-cyan to green above zero, violet to
  // magenta below.
  static Colour barColour(float v);
};

// The sixteen envelope selections (whole values 0..3) as blocks at their positions.
class EnvSelMultiSlider : public RippleMultiSlider {
 public:
  static constexpr float kHeight = 15.0f;
  EnvSelMultiSlider(gw::ElementHost& window, int firstParameter)
      : RippleMultiSlider(window, firstParameter, kHeight) {}

  void draw() override;
  void regionEnter(int bar) override;
  static Colour blockColour(float v) { return {0.0f, 0.5f + v / 2, 1.0f - v / 2, 0.75f}; }
};

}  // namespace TW
