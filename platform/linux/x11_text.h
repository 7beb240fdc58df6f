// Text with a real font (Xft over fontconfig) and the few shapes our small windows draw.
// Internal to the Linux backend; one painter per window, used on one thread.
#pragma once

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gw::platform::x11 {

// Closes a display that painters drew on. Xft keeps a process-wide list of the displays
// it serves, unguarded, and swaps its own error handler in and out: everything that
// touches it holds HandlerSlotLock (message boxes may open on the render thread while a
// dialog runs on the UI thread).
void closeTextDisplay(Display* display);

class Painter {
 public:
  // family: a fontconfig family; fontconfig substitutes a near one when it is missing.
  // Null when the display has no usable font at all.
  static std::unique_ptr<Painter> create(Display* display, int screen, Drawable target,
                                         const std::string& family, int pixelSize);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  int textWidth(std::string_view text) const;
  int ascent() const { return font_->ascent; }
  int lineHeight() const { return font_->ascent + font_->descent; }
  // The average width of the Latin letters, the base of dialog units.
  int averageCharWidth() const;

  void text(int x, int baseline, std::string_view text, unsigned rgb);
  void fill(int x, int y, int width, int height, unsigned rgb);
  void frame(int x, int y, int width, int height, unsigned rgb);
  void line(int x0, int y0, int x1, int y1, unsigned rgb, int thickness = 1);
  void polygon(const XPoint* points, int count, unsigned rgb);

  // Breaks text into lines no wider than width, at spaces where possible and always at
  // line feeds.
  std::vector<std::string> wrap(std::string_view text, int width) const;

 private:
  Painter() = default;
  void useColour(unsigned rgb);
  XftColor* xftColour(unsigned rgb);

  Display* display_ = nullptr;
  Drawable target_ = 0;
  Visual* visual_ = nullptr;
  Colormap colormap_ = 0;
  XftFont* font_ = nullptr;
  XftDraw* draw_ = nullptr;
  GC gc_ = nullptr;
  struct Colour {
    unsigned rgb;
    XftColor xft;
  };
  std::vector<Colour> colours_;
};

}  // namespace gw::platform::x11
