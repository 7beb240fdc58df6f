#include "platform/linux/x11_text.h"

#include "platform/linux/x11_display.h"

namespace gw::platform::x11 {

void closeTextDisplay(Display* display) {
  HandlerSlotLock lock;
  closeDisplay(display);
}

std::unique_ptr<Painter> Painter::create(Display* display, int screen, Drawable target,
                                         const std::string& family, int pixelSize) {
  HandlerSlotLock lock;
  std::unique_ptr<Painter> painter(new Painter);
  painter->display_ = display;
  painter->target_ = target;
  painter->visual_ = DefaultVisual(display, screen);
  painter->colormap_ = DefaultColormap(display, screen);
  painter->font_ =
      XftFontOpen(display, screen, XFT_FAMILY, XftTypeString, family.c_str(), XFT_PIXEL_SIZE,
                  XftTypeDouble, static_cast<double>(pixelSize), nullptr);
  if (painter->font_ == nullptr) {
    painter->font_ = XftFontOpenName(display, screen, "sans-serif");
    if (painter->font_ == nullptr) return nullptr;
  }
  painter->draw_ = XftDrawCreate(display, target, painter->visual_, painter->colormap_);
  painter->gc_ = XCreateGC(display, target, 0, nullptr);
  if (painter->draw_ == nullptr) return nullptr;
  return painter;
}

Painter::~Painter() {
  HandlerSlotLock lock;
  for (auto& c : colours_) XftColorFree(display_, visual_, colormap_, &c.xft);
  if (draw_ != nullptr) XftDrawDestroy(draw_);
  if (gc_ != nullptr) XFreeGC(display_, gc_);
  if (font_ != nullptr) XftFontClose(display_, font_);
}

int Painter::textWidth(std::string_view text) const {
  HandlerSlotLock lock;
  if (text.empty()) return 0;
  XGlyphInfo extents{};
  XftTextExtentsUtf8(display_, font_, reinterpret_cast<const FcChar8*>(text.data()),
                     static_cast<int>(text.size()), &extents);
  return extents.xOff;
}

int Painter::averageCharWidth() const {
  constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const int width = textWidth(kLetters);
  return (width / 26 + 1) / 2;
}

XftColor* Painter::xftColour(unsigned rgb) {
  HandlerSlotLock lock;
  for (auto& c : colours_) {
    if (c.rgb == rgb) return &c.xft;
  }
  XRenderColor value;
  value.red = static_cast<unsigned short>(((rgb >> 16) & 0xff) * 0x101);
  value.green = static_cast<unsigned short>(((rgb >> 8) & 0xff) * 0x101);
  value.blue = static_cast<unsigned short>((rgb & 0xff) * 0x101);
  value.alpha = 0xffff;
  Colour c{rgb, {}};
  if (!XftColorAllocValue(display_, visual_, colormap_, &value, &c.xft)) return nullptr;
  colours_.push_back(c);
  return &colours_.back().xft;
}

void Painter::useColour(unsigned rgb) {
  if (XftColor* c = xftColour(rgb)) XSetForeground(display_, gc_, c->pixel);
}

void Painter::text(int x, int baseline, std::string_view text, unsigned rgb) {
  HandlerSlotLock lock;
  if (text.empty()) return;
  if (XftColor* c = xftColour(rgb)) {
    XftDrawStringUtf8(draw_, c, font_, x, baseline, reinterpret_cast<const FcChar8*>(text.data()),
                      static_cast<int>(text.size()));
  }
}

void Painter::fill(int x, int y, int width, int height, unsigned rgb) {
  if (width <= 0 || height <= 0) return;
  useColour(rgb);
  XFillRectangle(display_, target_, gc_, x, y, static_cast<unsigned>(width),
                 static_cast<unsigned>(height));
}

void Painter::frame(int x, int y, int width, int height, unsigned rgb) {
  if (width <= 1 || height <= 1) return;
  useColour(rgb);
  XDrawRectangle(display_, target_, gc_, x, y, static_cast<unsigned>(width - 1),
                 static_cast<unsigned>(height - 1));
}

void Painter::line(int x0, int y0, int x1, int y1, unsigned rgb, int thickness) {
  useColour(rgb);
  XSetLineAttributes(display_, gc_, static_cast<unsigned>(thickness), LineSolid, CapRound,
                     JoinRound);
  XDrawLine(display_, target_, gc_, x0, y0, x1, y1);
  XSetLineAttributes(display_, gc_, 0, LineSolid, CapButt, JoinMiter);
}

void Painter::polygon(const XPoint* points, int count, unsigned rgb) {
  useColour(rgb);
  XFillPolygon(display_, target_, gc_, const_cast<XPoint*>(points), count, Convex, CoordModeOrigin);
}

std::vector<std::string> Painter::wrap(std::string_view text, int width) const {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view paragraph = text.substr(start, end - start);
    std::string line;
    std::size_t pos = 0;
    while (pos < paragraph.size()) {
      std::size_t next = paragraph.find(' ', pos);
      if (next == std::string_view::npos) next = paragraph.size();
      const std::string word(paragraph.substr(pos, next - pos));
      const std::string candidate = line.empty() ? word : line + " " + word;
      if (!line.empty() && textWidth(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      pos = next + 1;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace gw::platform::x11
