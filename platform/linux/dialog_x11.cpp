#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>

#include "platform/dialog.h"
#include "platform/linux/x11_display.h"
#include "platform/linux/x11_modal.h"
#include "platform/linux/x11_text.h"

namespace gw::platform {
namespace {

using Kind = DialogControl::Kind;
constexpr unsigned kText = 0x000000, kFace = 0xf0f0f0, kEdge = 0xa0a0a0, kLight = 0xffffff,
                   kBox = 0x333333, kFocus = 0x0060c0;
constexpr int kCheckSize = 13;

// Dialog units scale with the font: a horizontal unit is a quarter of the average
// character width and a vertical one an eighth of the line height.
int toPixels(int units, int base, int divisor) {
  return static_cast<int>(std::lround(static_cast<double>(units) * base / divisor));
}

struct Control {
  DialogControl spec;
  DialogHandle::Rect rect;
  bool checked = false;
};

class X11Dialog final : public DialogHandle {
 public:
  X11Dialog(Display* display, const DialogTemplate& dialog, const DialogProcedure& proc)
      : display_(display), proc_(proc) {
    for (const auto& c : dialog.controls) controls_.push_back({c, {}, false});
  }
  ~X11Dialog() override {
    painter_.reset();
    if (window_ != 0) XDestroyWindow(display_, window_);
  }

  bool open(std::uintptr_t owner, const DialogTemplate& dialog);
  int run();

  void setItemText(int id, const std::string& text) override {
    if (Control* c = find(id)) c->spec.text = text;
    paint();
  }
  void setChecked(int id, bool checked) override {
    if (Control* c = find(id)) c->checked = checked;
    paint();
  }
  bool isChecked(int id) const override {
    for (const auto& c : controls_) {
      if (c.spec.id == id) return c.checked;
    }
    return false;
  }
  void end(int result) override {
    result_ = result;
    ended_ = true;
  }
  std::uintptr_t nativeHandle() const override { return window_; }
  Rect controlRect(int id) const override {
    for (const auto& c : controls_) {
      if (c.spec.id == id) return c.rect;
    }
    return {};
  }

 private:
  Control* find(int id) {
    for (auto& c : controls_) {
      if (c.spec.id == id) return &c;
    }
    return nullptr;
  }
  static bool focusable(const Control& c) {
    return c.spec.kind == Kind::AutoCheckBox || c.spec.kind == Kind::DefaultPushButton;
  }
  int hit(int x, int y) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
      const Rect& r = controls_[i].rect;
      if (focusable(controls_[i]) && x >= r.x && x < r.x + r.width && y >= r.y &&
          y < r.y + r.height) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }
  void activate(int index);
  void command(int id);
  void moveFocus();
  void handle(const XEvent& event);
  void paint();
  void paintControl(const Control& c, bool focused);

  Display* display_;
  const DialogProcedure& proc_;
  Window window_ = 0;
  std::unique_ptr<x11::Painter> painter_;
  std::vector<Control> controls_;
  int pressed_ = -1;
  int focus_ = -1;
  bool mapped_ = false;
  bool ended_ = false;
  int result_ = -1;
};

bool X11Dialog::open(std::uintptr_t owner, const DialogTemplate& dialog) {
  const int screen = DefaultScreen(display_);
  // Points at the 96 pixels per inch that dialog fonts are designed for.
  const int pixelSize = std::max(6, toPixels(dialog.pointSize, 96, 72));
  auto measure = x11::Painter::create(display_, screen, RootWindow(display_, screen),
                                      dialog.fontName, pixelSize);
  if (measure == nullptr) return false;
  const int baseX = std::max(1, measure->averageCharWidth());
  const int baseY = std::max(1, measure->lineHeight());
  for (auto& c : controls_) {
    c.rect = {toPixels(c.spec.x, baseX, 4), toPixels(c.spec.y, baseY, 8),
              toPixels(c.spec.width, baseX, 4), toPixels(c.spec.height, baseY, 8)};
    if (focus_ < 0 && focusable(c)) focus_ = static_cast<int>(&c - controls_.data());
  }
  const int width = std::max(1, toPixels(dialog.width, baseX, 4));
  const int height = std::max(1, toPixels(dialog.height, baseY, 8));
  measure.reset();

  window_ = x11::createModalWindow(
      display_, static_cast<Window>(owner), width, height, dialog.caption,
      ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask);
  painter_ = x11::Painter::create(display_, screen, window_, dialog.fontName, pixelSize);
  return painter_ != nullptr && x11::syncAndTakeError(display_) == 0;
}

int X11Dialog::run() {
  if (proc_.initDialog) proc_.initDialog(*this);
  while (!ended_) {
    XEvent event;
    XNextEvent(display_, &event);
    handle(event);
  }
  return result_;
}

void X11Dialog::command(int id) {
  if (proc_.command) {
    proc_.command(*this, id);
  } else if (id == 1 || id == 2) {
    end(id);
  }
}

// A click or the space bar on a control: check boxes toggle themselves first.
void X11Dialog::activate(int index) {
  Control& c = controls_[static_cast<std::size_t>(index)];
  if (c.spec.kind == Kind::AutoCheckBox) c.checked = !c.checked;
  paint();
  command(c.spec.id);
}

void X11Dialog::moveFocus() {
  for (std::size_t step = 1; step <= controls_.size(); ++step) {
    const std::size_t i = (static_cast<std::size_t>(focus_) + step) % controls_.size();
    if (focusable(controls_[i])) {
      focus_ = static_cast<int>(i);
      break;
    }
  }
  paint();
}

void X11Dialog::handle(const XEvent& event) {
  switch (event.type) {
    case MapNotify:
      mapped_ = true;
      break;
    case Expose:
      if (event.xexpose.count == 0) paint();
      break;
    case ButtonPress:
      if (event.xbutton.button == Button1) pressed_ = hit(event.xbutton.x, event.xbutton.y);
      break;
    case ButtonRelease:
      if (event.xbutton.button == Button1 && pressed_ >= 0 &&
          hit(event.xbutton.x, event.xbutton.y) == pressed_) {
        focus_ = pressed_;
        pressed_ = -1;
        activate(focus_);
      }
      pressed_ = -1;
      break;
    case KeyPress: {
      const KeySym key = XLookupKeysym(const_cast<XKeyEvent*>(&event.xkey), 0);
      if (key == XK_Escape) {
        command(2);
      } else if (key == XK_Return || key == XK_KP_Enter) {
        for (const auto& c : controls_) {
          if (c.spec.kind == Kind::DefaultPushButton) {
            command(c.spec.id);
            break;
          }
        }
      } else if (key == XK_space && focus_ >= 0) {
        activate(focus_);
      } else if (key == XK_Tab && focus_ >= 0) {
        moveFocus();
      }
      break;
    }
    case DestroyNotify:
      // Destroyed from outside: nothing is left to answer, so the dialog counts as cancelled.
      window_ = 0;
      end(2);
      break;
    default:
      if (x11::isCloseRequest(display_, event)) command(2);
  }
}

void X11Dialog::paint() {
  if (!mapped_ || painter_ == nullptr) return;
  XWindowAttributes attributes;
  XGetWindowAttributes(display_, window_, &attributes);
  painter_->fill(0, 0, attributes.width, attributes.height, kFace);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    paintControl(controls_[i], static_cast<int>(i) == focus_);
  }
  XFlush(display_);
}

void X11Dialog::paintControl(const Control& c, bool focused) {
  x11::Painter& p = *painter_;
  const Rect& r = c.rect;
  switch (c.spec.kind) {
    case Kind::StaticText: {
      int baseline = r.y + p.ascent();
      for (const auto& line : p.wrap(c.spec.text, r.width)) {
        p.text(r.x, baseline, line, kText);
        baseline += p.lineHeight();
      }
      break;
    }
    case Kind::GroupBox: {
      const int top = r.y + p.lineHeight() / 2;
      p.frame(r.x, top, r.width, r.y + r.height - top, kEdge);
      p.frame(r.x + 1, top + 1, r.width - 2, r.y + r.height - top - 2, kLight);
      const int labelWidth = p.textWidth(c.spec.text);
      p.fill(r.x + 6, r.y, labelWidth + 4, p.lineHeight(), kFace);
      p.text(r.x + 8, r.y + p.ascent(), c.spec.text, kText);
      break;
    }
    case Kind::AutoCheckBox: {
      const int top = r.y + (r.height - kCheckSize) / 2;
      p.fill(r.x, top, kCheckSize, kCheckSize, kLight);
      p.frame(r.x, top, kCheckSize, kCheckSize, kBox);
      if (c.checked) {
        p.line(r.x + 3, top + 6, r.x + 5, top + 9, kText, 2);
        p.line(r.x + 5, top + 9, r.x + 10, top + 3, kText, 2);
      }
      const int textX = r.x + kCheckSize + 4;
      const int baseline = r.y + (r.height + p.ascent()) / 2 - 1;
      p.text(textX, baseline, c.spec.text, kText);
      if (focused) p.frame(textX - 2, r.y, p.textWidth(c.spec.text) + 4, r.height, kFocus);
      break;
    }
    case Kind::DefaultPushButton: {
      p.fill(r.x, r.y, r.width, r.height, 0xe1e1e1);
      p.frame(r.x, r.y, r.width, r.height, kFocus);
      if (focused) p.frame(r.x + 1, r.y + 1, r.width - 2, r.height - 2, kFocus);
      const int labelWidth = p.textWidth(c.spec.text);
      p.text(r.x + (r.width - labelWidth) / 2, r.y + (r.height + p.ascent()) / 2 - 1, c.spec.text,
             kText);
      break;
    }
  }
}

}  // namespace

int runModalDialog(std::uintptr_t owner, const DialogTemplate& dialog,
                   const DialogProcedure& proc) {
  std::string error;
  Display* display = x11::openDisplay(error);
  if (display == nullptr) return -1;
  int result = -1;
  {
    X11Dialog running(display, dialog, proc);
    if (running.open(owner, dialog)) result = running.run();
  }
  x11::closeTextDisplay(display);
  return result;
}

}  // namespace gw::platform
