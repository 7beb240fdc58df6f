// The editor's static labels: the title line, button labels and group titles, laid out
// once into one vertex buffer and drawn with one call per label in the 2-D pass.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/text_font.h"
#include "effects/effect.h"

namespace TW {

class StaticText : public Effect {
 public:
  // font may be null or hold no face: then nothing is drawn. Not owned.
  explicit StaticText(gw::TextFont* font) : font_(font) {}

  // Thread: UI while the view is built, then render (glInit). colour: four floats read
  // at every frame, owned by the caller and outliving the collection. Returns the
  // label's index.
  int addText(std::string_view text, float x, float y, const float* colour);

  // Thread: render.
  void draw2D() override;
  void glSetUp() override { rebuild(); }

  struct Item {
    std::string text;
    float x = 0.0f, y = 0.0f;
    const float* colour = nullptr;
    int firstVertex = 0;
    int vertexCount = 0;  // four for every character that has a glyph
  };
  const std::vector<Item>& items() const { return items_; }
  // T2F_V3F: texture s, t then x, y, z.
  const std::vector<float>& vertices() const { return vertices_; }
  bool dirty() const { return dirty_; }
  // Lays every label out again; done at GL set-up and when a label was added since.
  void rebuild();

 private:
  gw::TextFont* font_;
  std::vector<Item> items_;
  std::vector<float> vertices_;
  std::vector<gw::GlyphQuad> quads_;
  bool dirty_ = true;
};

}  // namespace TW
