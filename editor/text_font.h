// The editor's one TrueType face: found on the system, rasterised once at face size 28
// (72 dpi) into one glyph texture, and drawn at half that size so the texture carries
// twice the resolution of the drawn text. The layout places glyph quads on whole-pixel
// pen starts; the immediate drawText and the label collection share it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/font_file.h"

namespace gw {

// One glyph's quad in drawing units and its rectangle in the glyph texture.
struct GlyphQuad {
  float left = 0.0f, top = 0.0f, right = 0.0f, bottom = 0.0f;
  float s0 = 0.0f, t0 = 0.0f, s1 = 0.0f, t1 = 0.0f;
};

class TextFont {
 public:
  static constexpr unsigned kFaceSize = 28;
  static constexpr unsigned kResolution = 72;

  // Thread: UI. Finds and loads the system's face: the file platform::editorFontPath()
  // names, else what the system's font service hands out (platform::editorFontData()).
  // On failure says why in a message box captioned "Error", once a process (later
  // failures go to standard error only), and holds no font.
  TextFont();
  // Thread: UI. The face in the file at path, with the same messages.
  explicit TextFont(const std::string& path);
  // Thread: UI. The face in a whole font file in memory, which it keeps while it lives;
  // the same messages.
  explicit TextFont(platform::FontData data);
  ~TextFont();
  TextFont(const TextFont&) = delete;
  TextFont& operator=(const TextFont&) = delete;

  bool loaded() const { return face_ != nullptr; }
  // Where the face came from: its file's path, or the font service's name for it.
  const std::string& origin() const { return origin_; }

  // Everything below: Thread: render (the UI thread only before the render thread runs).
  // H, the face's size height at face size; 0 without a font.
  float sizeHeight() const;
  // D, the size's descender at face size (negative: below the baseline); 0 without a font.
  float descender() const;
  // H / 2: a drawn line.
  float lineHeight() const { return sizeHeight() * 0.5f; }
  // The drawn width of text: half its advance at face size.
  float textWidth(std::string_view text);

  // Lays text out from the pen start (x, y), appending one quad per character that has a
  // glyph; characters without one are skipped. Returns the number of quads appended.
  int layout(std::string_view text, float x, float y, std::vector<GlyphQuad>& out);

  // Rasterises the printable ASCII characters, so that every label's glyphs exist before
  // the first frame.
  void loadAsciiGlyphs();
  // Needs the GL context: creates or refreshes the glyph texture; returns its GL name
  // (0 without a font).
  unsigned bindTexture();
  // Needs the GL context: deletes the glyph texture.
  void releaseTexture();

  // Needs the GL context, in the 2-D pass: draws text at once in the current colour.
  void drawText(std::string_view text, float x, float y);

  class Face;  // FTGL's face with our glyphs; defined in text_font.cpp

 private:
  void reportMissing(const std::string& origin);
  void load(const std::string& path);
  void load(platform::FontData data);
  void adopt(std::unique_ptr<Face> face);

  std::string origin_;
  std::unique_ptr<Face> face_;
  std::vector<GlyphQuad> scratch_;  // drawText's quads, kept to avoid allocating per frame
};

}  // namespace gw
