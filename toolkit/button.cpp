#include "toolkit/button.h"

#include <GL/gl.h>

#include "toolkit/element_host.h"
#include "toolkit/gl_shapes.h"

namespace TW {
namespace {

constexpr std::array<float, 4> kRestColour{0.9f, 0.9f, 0.9f, 0.1f};
constexpr std::array<float, 4> kHighlightColour{0.5f, 0.8f, 1.0f, 0.2f};
constexpr float kRippleColour[4] = {0.2f, 0.6f, 0.8f, 0.6f};
constexpr float kLabelColour[4] = {1.0f, 1.0f, 1.0f, 0.6f};

}  // namespace

void easeColour(std::array<float, 4>& current, const std::array<float, 4>& target) {
  for (int i = 0; i < 4; ++i) current[i] = 0.85f * current[i] + 0.15f * target[i];
}

Button::Button(gw::ElementHost& window, std::string_view label, Command command, void* context,
               float x, float y, int id)
    : ControlBase(window, gw::Box::of(x, y, x + kWidth, y + kHeight)),
      label_(label),
      command_(command),
      context_(context),
      id_(id) {}

void Button::draw() {
  outlineBox(box_);
}

void Button::mouseUp(gw::Point, std::uint32_t) {
  if (command_ != nullptr) command_(*this, context_);
}

void Button::mouseEnter() {
  window().hoverParam().store(id_, std::memory_order_relaxed);
  window().tooltipAnchor().store(this, std::memory_order_release);
}

void Button::mouseLeave() {
  std::int32_t own = id_;
  window().hoverParam().compare_exchange_strong(own, -1, std::memory_order_relaxed);
}

RippleButton::RippleButton(gw::ElementHost& window, std::string_view label, Command command,
                           void* context, float x, float y, int id, RippleSink* ripples,
                           CubeSink* vortex)
    : Button(window, label, command, context, x, y, id), ripples_(ripples), vortex_(vortex) {}

void RippleButton::draw() {
  easeColour(colour_,
             highlighted_.load(std::memory_order_relaxed) ? kHighlightColour : kRestColour);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4fv(colour_.data());
  glRectf(box_.minX, box_.minY, box_.maxX, box_.maxY);
  glDisable(GL_BLEND);
}

void RippleButton::mouseDown(gw::Point, std::uint32_t) {
  const gw::Point centre = absoluteBounds().centre();
  if (vortex_ != nullptr) vortex_->addCube(centre.x, centre.y);
}

void RippleButton::mouseEnter() {
  const gw::Box box = absoluteBounds();
  const gw::Point centre = box.centre();
  if (ripples_ != nullptr) {
    ripples_->addRipple(centre.x, centre.y, kRippleColour, (box.maxX - centre.x) / 2,
                        kRippleLifetime, kRippleGrowth);
  }
  highlighted_.store(true, std::memory_order_relaxed);
  Button::mouseEnter();
}

void RippleButton::mouseLeave() {
  highlighted_.store(false, std::memory_order_relaxed);
  Button::mouseLeave();
}

void RippleButton::glInit() {
  gw::TextLabels* text = window().text();
  if (text == nullptr || !text->hasFont()) return;
  const gw::Box box = absoluteBounds();
  const gw::Point centre = box.centre();
  text->addText(label(), centre.x - text->textWidth(label()) / 2, text->centredBaseline(centre.y),
                kLabelColour);
}

}  // namespace TW
