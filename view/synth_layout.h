// The synthesiser's face: twenty groups and five buttons in a fixed arrangement, each
// placed from the frames of the groups before it.
#pragma once

#include "toolkit/button.h"
#include "toolkit/effect_requests.h"
#include "toolkit/element_host.h"

namespace gw {

// The buttons' command ids; the status line shows the view's text for each.
constexpr int kSquareCommand = -2;
constexpr int kTriangleCommand = -3;
constexpr int kSawCommand = -4;
constexpr int kSineCommand = -5;
constexpr int kCaptureCommand = -6;
constexpr int kPrefsCommand = -7;

// Thread: UI, while the tree is built. Creates every group, control and display and adds
// them to the host's root in drawing order. command runs with context on every release
// of a button; the button's id says which.
void buildSynthLayout(ElementHost& host, const TW::ControlEffects& effects,
                      TW::Button::Command command, void* context);

}  // namespace gw
