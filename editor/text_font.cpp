#include "editor/text_font.h"

#include <FTGL/ftgl.h>
#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <unordered_map>

#include "platform/font_file.h"
#include "platform/system.h"

namespace gw {
namespace {

// FreeType lets faces of one library be used on different threads, but creating and
// destroying them must not overlap: editors open and close on different threads.
std::mutex faceLifetimeMutex;

// The printable ASCII glyphs of a 28-pixel face fit in a quarter of this with room left
// for the odd character outside ASCII that a display text may bring.
constexpr int kAtlasWidth = 512;
constexpr int kAtlasHeight = 256;
constexpr int kFirstAscii = 32;
constexpr int kLastAscii = 126;

// Decodes one UTF-8 sequence at text[i], advancing i; malformed bytes come out as 0, a
// code point no face has a glyph for.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i++);
  if (lead < 0x80) return lead;
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || lead > 0xF4 || i + extra > text.size()) return 0;
  char32_t c = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i++) & 0x3F);
  }
  return c;
}

int encodeUtf8(char32_t c, char (&out)[5]) {
  int n = 0;
  if (c < 0x80) {
    out[n++] = static_cast<char>(c);
  } else if (c < 0x800) {
    out[n++] = static_cast<char>(0xC0 | (c >> 6));
    out[n++] = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out[n++] = static_cast<char>(0xE0 | (c >> 12));
    out[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[n++] = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out[n++] = static_cast<char>(0xF0 | (c >> 18));
    out[n++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[n++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[n++] = static_cast<char>(0x80 | (c & 0x3F));
  }
  out[n] = '\0';
  return n;
}

// Every glyph's coverage in one alpha texture, packed in rows.
struct GlyphAtlas {
  std::vector<unsigned char> pixels = std::vector<unsigned char>(kAtlasWidth * kAtlasHeight, 0);
  int penX = 1, penY = 1, rowHeight = 0;
  unsigned version = 0;

  // Copies a w x h bitmap in, leaving a pixel of space around it so linear filtering
  // never bleeds a neighbour in. False when the atlas is full.
  bool place(const unsigned char* bitmap, int pitch, int w, int h, int& x, int& y) {
    if (w + 2 > kAtlasWidth) return false;
    if (penX + w + 1 > kAtlasWidth) penX = 1, penY += rowHeight + 1, rowHeight = 0;
    if (penY + h + 1 > kAtlasHeight) return false;
    x = penX, y = penY;
    for (int row = 0; row < h; ++row) {
      std::copy_n(bitmap + row * pitch, w, pixels.begin() + (y + row) * kAtlasWidth + x);
    }
    penX += w + 1;
    rowHeight = std::max(rowHeight, h);
    ++version;
    return true;
  }
};

}  // namespace

// A glyph rasterised into the atlas. FTGL keeps its own texture font's coordinates
// private, so the face makes these instead and the layout reads them directly.
class AtlasGlyph : public FTGlyph {
 public:
  AtlasGlyph(FT_GlyphSlot slot, GlyphAtlas& atlas) : FTGlyph(slot) {
    // Index 0 is the face's "missing" box: such a character has no glyph of its own.
    exists_ = slot->glyph_index != 0;
    if (!exists_ || FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bitmap = slot->bitmap;
    const int w = static_cast<int>(bitmap.width), h = static_cast<int>(bitmap.rows);
    offsetX_ = static_cast<float>(slot->bitmap_left);
    offsetY_ = static_cast<float>(slot->bitmap_top);
    int x = 0, y = 0;
    if (w > 0 && h > 0 && bitmap.pitch > 0 &&
        atlas.place(bitmap.buffer, bitmap.pitch, w, h, x, y)) {
      width_ = static_cast<float>(w), height_ = static_cast<float>(h);
      s0_ = static_cast<float>(x) / kAtlasWidth, t0_ = static_cast<float>(y) / kAtlasHeight;
      s1_ = static_cast<float>(x + w) / kAtlasWidth, t1_ = static_cast<float>(y + h) / kAtlasHeight;
    }
  }

  // FTGL's own render loop is not used; this only satisfies its interface.
  const FTPoint& Render(const FTPoint&, int) override {
    advance_ = FTPoint(Advance(), 0.0f);
    return advance_;
  }

  bool exists() const { return exists_; }
  // The quad at half size for the pen at (penX, penY).
  GlyphQuad quad(float penX, float penY) const {
    GlyphQuad q;
    q.left = penX + offsetX_ * 0.5f;
    q.top = penY + offsetY_ * 0.5f;
    q.bottom = q.top - height_ * 0.5f;
    q.right = q.left + width_ * 0.5f;
    q.s0 = s0_, q.t0 = t0_, q.s1 = s1_, q.t1 = t1_;
    return q;
  }

 private:
  bool exists_ = false;
  float offsetX_ = 0.0f, offsetY_ = 0.0f, width_ = 0.0f, height_ = 0.0f;
  float s0_ = 0.0f, t0_ = 0.0f, s1_ = 0.0f, t1_ = 0.0f;
  FTPoint advance_;
};

// The font file a face made from memory reads for as long as it lives: FreeType keeps
// pointing into it. A base ahead of FTFont, it is made before the face and goes after it.
struct FaceFile {
  std::vector<unsigned char> bytes;
};

class TextFont::Face : private FaceFile, public FTFont {
 public:
  explicit Face(const char* path) : FTFont(path) {}
  explicit Face(std::vector<unsigned char> file)
      : FaceFile{std::move(file)}, FTFont(bytes.data(), bytes.size()) {}

  // The glyph of c, made on first use; null when the face has none for it.
  AtlasGlyph* glyph(char32_t c) {
    if (c >= kFirstAscii && c <= kLastAscii && ascii_[c - kFirstAscii].known) {
      return ascii_[c - kFirstAscii].glyph;
    }
    if (auto it = others_.find(c); it != others_.end()) return it->second;
    // FTGL makes a character's glyph the first time it measures it, through MakeGlyph.
    made_ = nullptr;
    char utf8[5];
    if (c != 0) {
      encodeUtf8(c, utf8);
      Advance(utf8);
    }
    AtlasGlyph* found = made_ != nullptr && made_->exists() ? made_ : nullptr;
    if (c >= kFirstAscii && c <= kLastAscii) {
      ascii_[c - kFirstAscii] = {true, found};
    } else {
      others_.emplace(c, found);
    }
    return found;
  }

  // The pair's kerning at face size: what FTGL adds between the two advances. Both
  // characters have glyphs.
  float kerning(char32_t a, char32_t b) {
    const bool ascii = a >= kFirstAscii && a <= kLastAscii && b >= kFirstAscii && b <= kLastAscii;
    float* cached =
        ascii ? &asciiKerning_[(a - kFirstAscii) * kAsciiCount + (b - kFirstAscii)] : nullptr;
    if (cached != nullptr && !std::isnan(*cached)) return *cached;
    char first[5], second[5], pair[9];
    const int n = encodeUtf8(a, first);
    const int m = encodeUtf8(b, second);
    std::copy_n(first, n, pair);
    std::copy_n(second, m + 1, pair + n);
    const float kern = Advance(pair) - glyph(a)->Advance() - glyph(b)->Advance();
    if (cached != nullptr) *cached = kern;
    return kern;
  }

  GlyphAtlas atlas;

 protected:
  FTGlyph* MakeGlyph(FT_GlyphSlot slot) override {
    made_ = new AtlasGlyph(slot, atlas);
    return made_;
  }

 private:
  struct Entry {
    bool known = false;
    AtlasGlyph* glyph = nullptr;  // owned by FTGL's glyph list
  };
  static constexpr int kAsciiCount = kLastAscii - kFirstAscii + 1;
  std::array<Entry, kAsciiCount> ascii_{};
  std::vector<float> asciiKerning_ = std::vector<float>(kAsciiCount * kAsciiCount, NAN);
  std::unordered_map<char32_t, AtlasGlyph*> others_;
  AtlasGlyph* made_ = nullptr;
  // Render thread: the glyph texture and the atlas version it holds.
 public:
  unsigned texture = 0;
  unsigned uploadedVersion = 0;
};

namespace {

// The face, sized, or null when FreeType refused it. Made under the lifetime lock.
template <typename Source>
std::unique_ptr<TextFont::Face> makeFace(Source&& source) {
  std::lock_guard lock(faceLifetimeMutex);
  auto face = std::make_unique<TextFont::Face>(std::forward<Source>(source));
  if (face->Error() != 0 || !face->FaceSize(TextFont::kFaceSize, TextFont::kResolution)) {
    face.reset();
  }
  return face;
}

}  // namespace

TextFont::TextFont() {
  const std::string path = platform::editorFontPath();
  if (platform::isReadableFile(path)) {
    load(path);
    return;
  }
  // The system may keep the face elsewhere than its fonts folder and hand it out itself.
  platform::FontData data = platform::editorFontData();
  if (data.bytes.empty()) {
    reportMissing(path);
  } else {
    load(std::move(data));
  }
}

TextFont::TextFont(const std::string& path) {
  if (platform::isReadableFile(path)) {
    load(path);
  } else {
    reportMissing(path);
  }
}

TextFont::TextFont(platform::FontData data) {
  load(std::move(data));
}

TextFont::~TextFont() {
  std::lock_guard lock(faceLifetimeMutex);
  face_.reset();
}

void TextFont::reportMissing(const std::string& origin) {
  origin_ = origin;
  // Every opening of the editor would meet it again, on the host's thread.
  platform::showMessageBoxOnce("font", "Unable to locate the required font file '" + origin + "'",
                               "Error", platform::MessageIcon::None);
}

void TextFont::load(const std::string& path) {
  origin_ = path;
  adopt(makeFace(path.c_str()));
}

void TextFont::load(platform::FontData data) {
  origin_ = std::move(data.faceName);
  adopt(makeFace(std::move(data.bytes)));
}

void TextFont::adopt(std::unique_ptr<Face> face) {
  if (!face) {
    platform::showMessageBoxOnce("font", "Unable to load font", "Error",
                                 platform::MessageIcon::None);
    return;
  }
  face_ = std::move(face);
}

float TextFont::sizeHeight() const {
  return face_ ? face_->LineHeight() : 0.0f;
}

float TextFont::descender() const {
  return face_ ? face_->Descender() : 0.0f;
}

float TextFont::textWidth(std::string_view text) {
  if (!face_) return 0.0f;
  float advance = 0.0f;
  AtlasGlyph* previous = nullptr;
  char32_t previousCode = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = nextCodePoint(text, i);
    AtlasGlyph* glyph = face_->glyph(c);
    if (glyph == nullptr) continue;
    if (previous != nullptr) advance += face_->kerning(previousCode, c);
    advance += glyph->Advance();
    previous = glyph, previousCode = c;
  }
  return advance * 0.5f;
}

int TextFont::layout(std::string_view text, float x, float y, std::vector<GlyphQuad>& out) {
  if (!face_) return 0;
  float penX = std::floor(x);
  const float penY = std::floor(y);
  int quads = 0;
  std::size_t i = 0;
  char32_t c = 0;
  AtlasGlyph* glyph = nullptr;
  // The first character with a glyph, then each with the next that has one, so the
  // kerning is the pair's as drawn.
  while (i < text.size() && glyph == nullptr) glyph = face_->glyph(c = nextCodePoint(text, i));
  while (glyph != nullptr) {
    char32_t next = 0;
    AtlasGlyph* nextGlyph = nullptr;
    while (i < text.size() && nextGlyph == nullptr) {
      nextGlyph = face_->glyph(next = nextCodePoint(text, i));
    }
    out.push_back(glyph->quad(penX, penY));
    ++quads;
    const float kern = nextGlyph != nullptr ? face_->kerning(c, next) : 0.0f;
    penX += (glyph->Advance() + kern) * 0.5f;
    glyph = nextGlyph, c = next;
  }
  return quads;
}

void TextFont::loadAsciiGlyphs() {
  if (!face_) return;
  for (char32_t c = kFirstAscii; c <= kLastAscii; ++c) face_->glyph(c);
}

unsigned TextFont::bindTexture() {
  if (!face_) return 0;
  Face& face = *face_;
  if (face.texture == 0) {
    glGenTextures(1, &face.texture);
    glBindTexture(GL_TEXTURE_2D, face.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    face.uploadedVersion = face.atlas.version + 1;
  } else {
    glBindTexture(GL_TEXTURE_2D, face.texture);
  }
  if (face.uploadedVersion != face.atlas.version) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kAtlasWidth, kAtlasHeight, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, face.atlas.pixels.data());
    face.uploadedVersion = face.atlas.version;
  }
  return face.texture;
}

void TextFont::releaseTexture() {
  if (!face_ || face_->texture == 0) return;
  glDeleteTextures(1, &face_->texture);
  face_->texture = 0;
}

void TextFont::drawText(std::string_view text, float x, float y) {
  if (!face_) return;
  scratch_.clear();
  if (layout(text, x, y, scratch_) == 0) return;
  bindTexture();
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.0f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glBegin(GL_QUADS);
  for (const GlyphQuad& q : scratch_) {
    glTexCoord2f(q.s0, q.t0), glVertex2f(q.left, q.top);
    glTexCoord2f(q.s0, q.t1), glVertex2f(q.left, q.bottom);
    glTexCoord2f(q.s1, q.t1), glVertex2f(q.right, q.bottom);
    glTexCoord2f(q.s1, q.t0), glVertex2f(q.right, q.top);
  }
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
}

}  // namespace gw
