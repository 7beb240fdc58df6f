// What the controls see of the editor's text: the main font's metrics and the static
// label collection. Thread: render (the controls use it in glInit), or UI before the
// render thread starts.
#pragma once

#include <string_view>

namespace gw {

class TextLabels {
 public:
  virtual ~TextLabels() = default;
  // False when the editor runs without a font: then no label is added.
  virtual bool hasFont() const = 0;
  // The drawn width of text (half its advance at face size).
  virtual float textWidth(std::string_view text) = 0;
  // H, the face's size height, and D, its descender (negative), at face size.
  virtual float sizeHeight() const = 0;
  virtual float descender() const = 0;
  // colour: four floats read at every frame; the caller keeps them alive.
  virtual int addText(std::string_view text, float x, float y, const float* colour) = 0;

  // The baseline that centres a line of text vertically on centreY.
  float centredBaseline(float centreY) const {
    return centreY - sizeHeight() / 4 - descender() / 2;
  }
};

}  // namespace gw
