// Modal dialogs built from template data: the About/Preferences dialog runs here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gw::platform {

// One control of a dialog template; positions in dialog units.
struct DialogControl {
  enum class Kind { StaticText, GroupBox, AutoCheckBox, DefaultPushButton };
  int id = 0;
  Kind kind = Kind::StaticText;
  std::string text;
  int x = 0, y = 0, width = 0, height = 0;
};

struct DialogTemplate {
  // The module's own dialog resource with the same content, where the OS has them.
  int resourceId = 0;
  std::string caption;
  std::string fontName;
  int pointSize = 8;
  int width = 0, height = 0;
  std::vector<DialogControl> controls;
};

// The dialog procedure's view of the running dialog.
class DialogHandle {
 public:
  virtual ~DialogHandle() = default;
  virtual void setItemText(int id, const std::string& text) = 0;
  virtual void setChecked(int id, bool checked) = 0;
  virtual bool isChecked(int id) const = 0;
  virtual void end(int result) = 0;

  // Where the running dialog is, for tools and tests that drive it like a user: its
  // native window, and a control's rectangle in the dialog's pixels (empty if unknown).
  struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
  };
  virtual std::uintptr_t nativeHandle() const { return 0; }
  virtual Rect controlRect(int /*id*/) const { return {}; }
};

struct DialogProcedure {
  std::function<void(DialogHandle&)> initDialog;
  // A command from a control (id), or 2 for cancel (Escape, close box).
  std::function<void(DialogHandle&, int id)> command;
};

// Thread: host UI thread. Returns the id passed to end(), or -1 when no display is
// reachable or the dialog cannot be created. Without a command procedure, OK (1) and
// cancel (2) end the dialog with their id.
int runModalDialog(std::uintptr_t owner, const DialogTemplate& dialog, const DialogProcedure& proc);

}  // namespace gw::platform
