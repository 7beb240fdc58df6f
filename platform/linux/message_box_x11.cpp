#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <string>

#include "platform/linux/x11_display.h"
#include "platform/linux/x11_modal.h"
#include "platform/linux/x11_text.h"
#include "platform/native_message_box.h"

namespace gw::platform {
namespace {

constexpr int kMargin = 16;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kMaxTextWidth = 460;
constexpr unsigned kText = 0x000000, kFace = 0xf0f0f0, kFocus = 0x0060c0;

struct Box {
  int width = 0, height = 0;
  int textX = 0;
  int buttonX = 0, buttonY = 0;
  std::vector<std::string> lines;
  bool warning = false;
  bool pressed = false;

  bool inButton(int x, int y) const {
    return x >= buttonX && x < buttonX + kButtonWidth && y >= buttonY &&
           y < buttonY + kButtonHeight;
  }
};

void drawWarningIcon(x11::Painter& p, int x, int y) {
  const XPoint triangle[] = {{static_cast<short>(x + kIconSize / 2), static_cast<short>(y)},
                             {static_cast<short>(x + kIconSize), static_cast<short>(y + kIconSize)},
                             {static_cast<short>(x), static_cast<short>(y + kIconSize)}};
  p.polygon(triangle, 3, 0xf0c020);
  p.fill(x + kIconSize / 2 - 2, y + 10, 4, 12, kText);
  p.fill(x + kIconSize / 2 - 2, y + 25, 4, 4, kText);
}

void paint(x11::Painter& p, const Box& box) {
  p.fill(0, 0, box.width, box.height, kFace);
  if (box.warning) drawWarningIcon(p, kMargin, kMargin);
  int baseline = kMargin + p.ascent();
  for (const auto& line : box.lines) {
    p.text(box.textX, baseline, line, kText);
    baseline += p.lineHeight();
  }
  p.fill(box.buttonX, box.buttonY, kButtonWidth, kButtonHeight, box.pressed ? 0xd8d8d8 : 0xe8e8e8);
  p.frame(box.buttonX, box.buttonY, kButtonWidth, kButtonHeight, kFocus);
  const int labelWidth = p.textWidth("OK");
  p.text(box.buttonX + (kButtonWidth - labelWidth) / 2,
         box.buttonY + (kButtonHeight + p.ascent()) / 2 - 1, "OK", kText);
}

}  // namespace

void showNativeMessageBox(std::string_view text, std::string_view caption, bool warning) {
  std::string error;
  Display* display = x11::openDisplay(error);
  if (display == nullptr) return;
  const int screen = DefaultScreen(display);
  // Measuring needs a font before the window exists; the root stands in as the target.
  auto measure =
      x11::Painter::create(display, screen, RootWindow(display, screen), "sans-serif", 13);
  if (measure == nullptr) {
    x11::closeTextDisplay(display);
    return;
  }
  Box box;
  box.warning = warning;
  box.lines = measure->wrap(text, kMaxTextWidth);
  int textWidth = 0;
  for (const auto& line : box.lines) textWidth = std::max(textWidth, measure->textWidth(line));
  const int textHeight = static_cast<int>(box.lines.size()) * measure->lineHeight();
  box.textX = kMargin + (warning ? kIconSize + kMargin : 0);
  box.width = std::max(box.textX + textWidth + kMargin, kButtonWidth + 2 * kMargin);
  box.width = std::max(box.width, 200);
  const int contentHeight = std::max(textHeight, warning ? kIconSize : 0);
  box.height = kMargin + contentHeight + kMargin + kButtonHeight + kMargin;
  box.buttonX = (box.width - kButtonWidth) / 2;
  box.buttonY = box.height - kMargin - kButtonHeight;
  measure.reset();

  const Window window = x11::createModalWindow(
      display, 0, box.width, box.height, std::string(caption),
      ExposureMask | ButtonPressMask | ButtonReleaseMask | KeyPressMask | StructureNotifyMask);
  auto painter = x11::Painter::create(display, screen, window, "sans-serif", 13);
  bool done = painter == nullptr;
  while (!done) {
    XEvent event;
    XNextEvent(display, &event);
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) paint(*painter, box);
        break;
      case ButtonPress:
        if (event.xbutton.button == Button1 && box.inButton(event.xbutton.x, event.xbutton.y)) {
          box.pressed = true;
          paint(*painter, box);
        }
        break;
      case ButtonRelease:
        if (event.xbutton.button != Button1) break;
        done = box.pressed && box.inButton(event.xbutton.x, event.xbutton.y);
        box.pressed = false;
        paint(*painter, box);
        break;
      case KeyPress: {
        const KeySym key = XLookupKeysym(&event.xkey, 0);
        done = key == XK_Return || key == XK_KP_Enter || key == XK_Escape || key == XK_space;
        break;
      }
      case DestroyNotify:
        done = true;
        break;
      default:
        done = x11::isCloseRequest(display, event);
    }
  }
  painter.reset();
  XDestroyWindow(display, window);
  x11::closeTextDisplay(display);
}

}  // namespace gw::platform
