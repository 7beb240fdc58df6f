// Command buttons, 35 by 25 design units: the plain one outlined in green, and the
// animated one the view uses, a softly filled box with a label that ripples on hover.
#pragma once

#include <array>
#include <atomic>
#include <string>
#include <string_view>

#include "toolkit/effect_requests.h"
#include "toolkit/ui_element.h"

namespace TW {

class Button : public ControlBase {
 public:
  static constexpr float kWidth = 35.0f;
  static constexpr float kHeight = 25.0f;
  // Runs on the UI thread at every release of the button, wherever the pointer is.
  using Command = void (*)(Button& button, void* context);

  // id: the negative command id the status line shows the text of.
  Button(gw::ElementHost& window, std::string_view label, Command command, void* context, float x,
         float y, int id);

  void draw() override;
  void mouseUp(gw::Point point, std::uint32_t modifiers) override;
  void mouseEnter() override;
  void mouseLeave() override;

  const std::string& label() const { return label_; }
  int id() const { return id_; }

 private:
  std::string label_;
  Command command_;
  void* context_;
  int id_;
};

class RippleButton : public Button {
 public:
  RippleButton(gw::ElementHost& window, std::string_view label, Command command, void* context,
               float x, float y, int id, RippleSink* ripples, CubeSink* vortex);

  void draw() override;
  void mouseDown(gw::Point point, std::uint32_t modifiers) override;
  void mouseEnter() override;
  void mouseLeave() override;
  void glInit() override;

  // Thread: render. The colour the last frame filled with.
  const std::array<float, 4>& colour() const { return colour_; }

 private:
  RippleSink* ripples_;
  CubeSink* vortex_;
  // Written on the UI thread by hover, read by the frame that eases towards it.
  std::atomic<bool> highlighted_{false};
  std::array<float, 4> colour_{0.9f, 0.9f, 0.9f, 0.1f};  // render thread
};

// Thread: render. Moves each component of current 15 % of the way to target.
void easeColour(std::array<float, 4>& current, const std::array<float, 4>& target);

}  // namespace TW
