#include "editor/static_text.h"

#include <GL/glew.h>

namespace TW {

int StaticText::addText(std::string_view text, float x, float y, const float* colour) {
  items_.push_back(Item{std::string(text), x, y, colour, 0, 0});
  dirty_ = true;
  return static_cast<int>(items_.size()) - 1;
}

void StaticText::rebuild() {
  dirty_ = false;
  if (font_ == nullptr || !font_->loaded()) return;
  vertices_.clear();
  int first = 0;
  for (Item& item : items_) {
    quads_.clear();
    font_->layout(item.text, item.x, item.y, quads_);
    item.firstVertex = first;
    // Only what was written counts, so a character without a glyph leaves no
    // uninitialised quad behind.
    item.vertexCount = 4 * static_cast<int>(quads_.size());
    first += item.vertexCount;
    for (const gw::GlyphQuad& q : quads_) {
      const float quad[20] = {q.s0,   q.t0,     q.left, q.top,   0.0f,  q.s0,    q.t1,
                              q.left, q.bottom, 0.0f,   q.s1,    q.t1,  q.right, q.bottom,
                              0.0f,   q.s1,     q.t0,   q.right, q.top, 0.0f};
      vertices_.insert(vertices_.end(), std::begin(quad), std::end(quad));
    }
  }
}

void StaticText::draw2D() {
  if (font_ == nullptr || !font_->loaded()) return;
  if (dirty_) rebuild();
  if (vertices_.empty()) return;
  font_->bindTexture();
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.0f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glInterleavedArrays(GL_T2F_V3F, 0, vertices_.data());
  for (const Item& item : items_) {
    if (item.vertexCount == 0) continue;
    glColor4fv(item.colour);
    glDrawArrays(GL_QUADS, item.firstVertex, item.vertexCount);
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
}

}  // namespace TW
