// A build without a window system: everything that would need one refuses with a reason,
// so the layers above build, link and run their headless paths anywhere.
#include "platform/dialog.h"
#include "platform/gl_context.h"
#include "platform/top_level_window.h"
#include "platform/window.h"

namespace gw::platform {
namespace {
constexpr const char* kNoWindowSystem = "this build has no window system";
}

std::unique_ptr<ChildWindow> ChildWindow::create(std::uintptr_t, int, int, std::string& error) {
  error = kNoWindowSystem;
  return nullptr;
}

std::unique_ptr<GlContext> GlContext::create(std::uintptr_t, std::string& error) {
  error = kNoWindowSystem;
  return nullptr;
}

std::unique_ptr<TopLevelWindow> TopLevelWindow::create(int, int, const std::string&,
                                                       std::string& error) {
  error = kNoWindowSystem;
  return nullptr;
}

bool TopLevelWindow::displayReachable(std::string& error) {
  error = kNoWindowSystem;
  return false;
}

int runModalDialog(std::uintptr_t, const DialogTemplate&, const DialogProcedure&) {
  return -1;
}

}  // namespace gw::platform
