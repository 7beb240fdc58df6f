// The resources compiled into the module, found by (type, id) as the module's own
// resources would be: the knob vertex program, the ripple image and the About dialog.
#pragma once

#include <cstddef>
#include <span>

#include "platform/dialog.h"

namespace gw::resources {

constexpr int kTypeVertexProgram = 256;
constexpr int kKnobVertexProgramId = 101;
constexpr int kTypeImage = 257;
constexpr int kRippleImageId = 113;
constexpr int kAboutDialogId = 102;

// The bytes of the resource, not terminated; empty when there is none with that type and id.
std::span<const std::byte> find(int type, int id);

// Dialog 102: the About/Preferences dialog's controls and texts.
namespace about {
constexpr int kMaker = 103;
constexpr int kProduct = 105;
constexpr int kVersion = 106;
constexpr int kPreferencesFrame = 109;
constexpr int kFloatingTooltip = 110;
constexpr int kOk = 1;
constexpr int kCancel = 2;
}  // namespace about
const platform::DialogTemplate& aboutDialogTemplate();

}  // namespace gw::resources
