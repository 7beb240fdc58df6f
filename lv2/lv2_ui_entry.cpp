// The editor as an LV2 X11 UI: the same render window and view as the VST editor, in the
// host's window (ui:parent), idled through ui:idleInterface, talking to the plug-in only
// through the host (write_function and port_event).
#include <lv2/ui/ui.h>

#include <cstring>
#include <exception>
#include <new>

#include "editor/editor_session.h"
#include "lv2/lv2_ports.h"
#include "lv2/lv2_ui_port.h"
#include "platform/module_export.h"
#include "platform/window.h"
#include "view/synth_view.h"

namespace {

class Lv2SynthEditor final : public gw::EditorSession {
 public:
  explicit Lv2SynthEditor(gw::ParameterPort& port) : gw::EditorSession(port), commands_(port) {}
  void buildView(int x, int y) override { gw::buildSynthView(*this, commands_, x, y); }
  void idle() {
    gw::EditorSession::idle();
    commands_.idle(*this, parent());
  }

 private:
  gw::SynthViewCommands commands_;
};

// The port is declared first: the editor, whose render thread reads it, goes first.
struct Lv2Ui {
  Lv2Ui(LV2UI_Write_Function write, LV2UI_Controller controller)
      : port(write, controller), editor(port) {
    port.setLink(&editor);
  }
  gw::lv2::Lv2UiPort port;
  Lv2SynthEditor editor;
};

const void* feature(const LV2_Feature* const* features, const char* uri) {
  if (features == nullptr) return nullptr;
  for (const LV2_Feature* const* f = features; *f != nullptr; ++f) {
    if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  }
  return nullptr;
}

// Thread: the host's UI thread, as every callback below. Null refuses: no parent window,
// or a window that could not be made (no display, no GL).
LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
  if (pluginUri == nullptr || std::strcmp(pluginUri, gw::lv2::kPluginUri) != 0) return nullptr;
  const auto parent = reinterpret_cast<std::uintptr_t>(feature(features, LV2_UI__parent));
  if (parent == 0 || widget == nullptr) return nullptr;
  Lv2Ui* ui = nullptr;
  try {
    ui = new (std::nothrow) Lv2Ui(write, controller);
    if (ui == nullptr) return nullptr;
    ui->editor.open(parent);
  } catch (const std::exception&) {
    delete ui;
    return nullptr;  // nothing may be thrown into the host
  }
  const RenderWindow* window = ui->editor.window();
  if (window == nullptr || window->childWindow() == nullptr) {
    delete ui;
    return nullptr;
  }
  *widget = reinterpret_cast<LV2UI_Widget>(window->childWindow()->nativeHandle());
  if (const auto* resize = static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize))) {
    resize->ui_resize(resize->handle, ui->editor.pixelWidth(), ui->editor.pixelHeight());
  }
  return ui;
}

void cleanup(LV2UI_Handle handle) {
  delete static_cast<Lv2Ui*>(handle);
}

void portEvent(LV2UI_Handle handle, std::uint32_t port, std::uint32_t size, std::uint32_t format,
               const void* buffer) {
  if (format != 0 || size != sizeof(float) || buffer == nullptr) return;
  float value;
  std::memcpy(&value, buffer, sizeof value);
  static_cast<Lv2Ui*>(handle)->port.hostValue(port, value);
}

int idle(LV2UI_Handle handle) {
  static_cast<Lv2Ui*>(handle)->editor.idle();
  return 0;
}

const LV2UI_Idle_Interface kIdleInterface = {idle};

const void* extensionData(const char* uri) {
  if (uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
  return nullptr;
}

const LV2UI_Descriptor kUiDescriptor = {gw::lv2::kUiUri, instantiate, cleanup, portEvent,
                                        extensionData};

}  // namespace

// Thread: the host's UI thread.
extern "C" GW_MODULE_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(std::uint32_t index) {
  return index == 0 ? &kUiDescriptor : nullptr;
}
