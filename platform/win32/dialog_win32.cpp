// Modal dialogs from the module's own dialog resources.
#include <windows.h>

#include "platform/dialog.h"
#include "platform/system.h"
#include "platform/win32/module_instance.h"

namespace gw::platform {
namespace {

class Win32DialogHandle final : public DialogHandle {
 public:
  explicit Win32DialogHandle(const DialogProcedure& procedure) : procedure_(procedure) {}

  void setItemText(int id, const std::string& text) override {
    SetDlgItemTextA(dialog_, id, text.c_str());
  }
  void setChecked(int id, bool checked) override {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  bool isChecked(int id) const override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
  void end(int result) override { EndDialog(dialog_, result); }
  std::uintptr_t nativeHandle() const override { return reinterpret_cast<std::uintptr_t>(dialog_); }
  Rect controlRect(int id) const override {
    const HWND item = GetDlgItem(dialog_, id);
    RECT rect{};
    if (item == nullptr || !GetWindowRect(item, &rect)) return {};
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  }

  static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<Win32DialogHandle*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      self->dialog_ = dialog;
      if (self->procedure_.initDialog) self->procedure_.initDialog(*self);
      return TRUE;
    }
    auto* self = reinterpret_cast<Win32DialogHandle*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (self == nullptr || message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    if (self->procedure_.command) {
      self->procedure_.command(*self, id);
    } else if (id == IDOK || id == IDCANCEL) {
      EndDialog(dialog, id);
    }
    return TRUE;
  }

 private:
  const DialogProcedure& procedure_;
  HWND dialog_ = nullptr;
};

}  // namespace

int runModalDialog(std::uintptr_t owner, const DialogTemplate& dialog,
                   const DialogProcedure& proc) {
  const HINSTANCE module = win32::moduleInstance();
  if (dialog.resourceId <= 0 ||
      FindResourceA(module, MAKEINTRESOURCEA(dialog.resourceId), MAKEINTRESOURCEA(5)) == nullptr) {
    showMessageBox("The dialog resource " + std::to_string(dialog.resourceId) +
                       " cannot be found in the module: " + lastErrorText(),
                   "Error", MessageIcon::Warning);
    return -1;
  }
  Win32DialogHandle handle(proc);
  const INT_PTR result =
      DialogBoxParamA(module, MAKEINTRESOURCEA(dialog.resourceId), reinterpret_cast<HWND>(owner),
                      &Win32DialogHandle::procedure, reinterpret_cast<LPARAM>(&handle));
  return static_cast<int>(result);
}

}  // namespace gw::platform
