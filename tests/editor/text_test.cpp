// The editor's text without a display: finding the face, the glyph layout the labels and
// the status line share, the label collection's buffer, and the tooltip's easing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "editor/static_text.h"
#include "editor/status_text.h"
#include "editor/text_font.h"
#include "platform/font_collection.h"
#include "platform/font_file.h"
#include "platform/system.h"

namespace gw {
namespace {

// Collects what would have gone to message boxes.
class MessageCapture {
 public:
  MessageCapture() {
    platform::setMessageSink([this](std::string_view text, std::string_view caption) {
      messages.push_back(std::string(caption) + ": " + std::string(text));
    });
  }
  ~MessageCapture() { platform::setMessageSink({}); }
  std::vector<std::string> messages;
};

class TextFontTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    MessageCapture capture;
    font_ = new TextFont();
    ASSERT_TRUE(font_->loaded()) << "no face found at " << font_->origin();
  }
  static void TearDownTestSuite() { delete font_; }
  static std::vector<GlyphQuad> layout(std::string_view text, float x, float y) {
    std::vector<GlyphQuad> quads;
    font_->layout(text, x, y, quads);
    return quads;
  }
  static TextFont* font_;
};
TextFont* TextFontTest::font_ = nullptr;

std::vector<unsigned char> readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::uint32_t word(const std::vector<unsigned char>& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | bytes.at(at + i);
  return value;
}

void putWord(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 3; i >= 0; --i, value >>= 8) bytes.at(at + i) = static_cast<unsigned char>(value);
}

// Font files put together as a .ttc holds them: "ttcf", version 1, the face count and
// each face's offset; then per face its table directory and tables, the offsets counting
// from the collection's start.
std::vector<unsigned char> makeCollection(const std::vector<std::vector<unsigned char>>& fonts,
                                          std::vector<std::size_t>& faceOffsets) {
  std::vector<unsigned char> ttc = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 0};
  putWord(ttc, 8, static_cast<std::uint32_t>(fonts.size()));
  ttc.resize(12 + 4 * fonts.size());
  for (std::size_t f = 0; f < fonts.size(); ++f) {
    const std::vector<unsigned char>& font = fonts[f];
    faceOffsets.push_back(ttc.size());
    putWord(ttc, 12 + 4 * f, static_cast<std::uint32_t>(ttc.size()));
    const std::size_t tables = word(font, 4, 2), directory = ttc.size();
    ttc.insert(ttc.end(), font.begin(), font.begin() + 12 + 16 * tables);
    for (std::size_t t = 0; t < tables; ++t) {
      const std::size_t offset = word(font, 12 + 16 * t + 8, 4);
      const std::size_t length = word(font, 12 + 16 * t + 12, 4);
      putWord(ttc, directory + 12 + 16 * t + 8, static_cast<std::uint32_t>(ttc.size()));
      ttc.insert(ttc.end(), font.begin() + offset, font.begin() + offset + length);
      ttc.resize((ttc.size() + 3) & ~std::size_t{3}, 0);
    }
  }
  return ttc;
}

TEST(FontFile, WindirNamesTheWindowsFontsFolderOtherwiseTheSystemHasAFace) {
  const char* saved = std::getenv("WINDIR");
  const std::string restore = saved != nullptr ? saved : "";
  setenv("WINDIR", "/srv/win", 1);
  EXPECT_EQ(platform::editorFontPath(), "/srv/win/fonts/tahoma.ttf");
  unsetenv("WINDIR");
  const std::string found = platform::editorFontPath();
  EXPECT_TRUE(platform::isReadableFile(found)) << found;
  EXPECT_NE(found.find(".ttf"), std::string::npos) << found;
  if (saved != nullptr) setenv("WINDIR", restore.c_str(), 1);
}

// Every opening of the editor makes its font anew: the box stops the host once a
// process, standard error hears of each.
TEST(FontFile, AMissingOrUnreadableFaceIsReportedOnceAProcessAndLeavesNoFont) {
  {
    MessageCapture capture;
    ::testing::internal::CaptureStderr();
    TextFont missing("/nonexistent/fonts/tahoma.ttf");
    TextFont again("/nonexistent/fonts/tahoma.ttf");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(missing.loaded());
    EXPECT_FALSE(again.loaded());
    const std::string text =
        "Error: Unable to locate the required font file '/nonexistent/fonts/tahoma.ttf'";
    ASSERT_EQ(capture.messages, std::vector<std::string>{text});
    EXPECT_EQ(err, text + "\n" + text + "\n");
  }
  MessageCapture capture;
  const std::string junkPath = ::testing::TempDir() + "not-a-font.ttf";
  std::ofstream(junkPath) << "this is not a TrueType file";
  TextFont junk(junkPath);
  TextFont junkInMemory(
      platform::FontData{"Junk", {'n', 'o', 't', ' ', 'a', ' ', 'f', 'a', 'c', 'e'}});
  TextFont empty(platform::FontData{});
  EXPECT_FALSE(junk.loaded());
  EXPECT_FALSE(junkInMemory.loaded());
  EXPECT_FALSE(empty.loaded());
  EXPECT_EQ(capture.messages, std::vector<std::string>{"Error: Unable to load font"});
  // Without a face every metric is 0 and nothing is laid out.
  std::vector<GlyphQuad> quads;
  EXPECT_EQ(junk.layout("abc", 0, 0, quads), 0);
  EXPECT_EQ(junk.textWidth("abc"), 0.0f);
  EXPECT_EQ(junk.sizeHeight(), 0.0f);
}

// Where the system hands the face out as a whole file in memory (GDI on Windows): the
// same face as from the file, still read after the caller's copy is gone, since glyphs are
// made on first use.
TEST(FontFile, AFaceFromMemoryIsTheFilesFaceAndKeepsItsBytes) {
  const std::string path = platform::editorFontPath();
  std::vector<unsigned char> bytes = readFile(path);
  ASSERT_GT(bytes.size(), 10000u) << path;
  TextFont fromFile(path);
  std::unique_ptr<TextFont> fromMemory;
  {
    platform::FontData data{"The system's face", bytes};
    fromMemory = std::make_unique<TextFont>(std::move(data));
  }
  std::fill(bytes.begin(), bytes.end(), 0);
  ASSERT_TRUE(fromFile.loaded() && fromMemory->loaded());
  EXPECT_EQ(fromMemory->origin(), "The system's face");
  EXPECT_EQ(fromMemory->sizeHeight(), fromFile.sizeHeight());
  EXPECT_EQ(fromMemory->descender(), fromFile.descender());
  const std::string_view title = "tarnwell : glimmerwick 1.0.11 AVWa";
  EXPECT_EQ(fromMemory->textWidth(title), fromFile.textWidth(title));
  std::vector<GlyphQuad> a, b;
  ASSERT_EQ(fromMemory->layout(title, 60, 395, a), fromFile.layout(title, 60, 395, b));
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].left, b[i].left);
    EXPECT_EQ(a[i].top - a[i].bottom, b[i].top - b[i].bottom);
  }
}

// GDI hands out a face of a collection as the collection's bytes from the face's table
// directory on: FreeType finds no face in them until the tables are copied out.
TEST(FontFile, AFaceOfACollectionBecomesAFontFileOfItsOwn) {
  const std::string dejavu = "/usr/share/fonts/truetype/dejavu/";
  const auto regular = readFile(dejavu + "DejaVuSans.ttf");
  const auto bold = readFile(dejavu + "DejaVuSans-Bold.ttf");
  ASSERT_FALSE(regular.empty() || bold.empty()) << "fonts-dejavu-core";
  std::vector<std::size_t> faces;
  const auto ttc = makeCollection({regular, bold}, faces);
  EXPECT_TRUE(platform::isFontCollection(ttc));
  EXPECT_FALSE(platform::isFontCollection(bold));
  const std::vector<unsigned char> handedOut(ttc.begin() + faces[1], ttc.end());

  MessageCapture capture;
  TextFont slice(platform::FontData{"as handed out", handedOut});
  EXPECT_FALSE(slice.loaded());
  TextFont fromCollection(
      platform::FontData{"DejaVu Sans Bold", platform::faceOfCollection(ttc, handedOut)});
  TextFont fromFile(dejavu + "DejaVuSans-Bold.ttf");
  TextFont regularFromFile(dejavu + "DejaVuSans.ttf");
  ASSERT_TRUE(fromCollection.loaded() && fromFile.loaded() && regularFromFile.loaded());
  const std::string_view text = "tarnwell : glimmerwick 1.0.11";
  EXPECT_EQ(fromCollection.textWidth(text), fromFile.textWidth(text));
  EXPECT_NE(fromCollection.textWidth(text), regularFromFile.textWidth(text));
  EXPECT_EQ(fromCollection.sizeHeight(), fromFile.sizeHeight());

  // A directory that names a table beyond the collection, or is cut short, gives nothing.
  auto pastTheEnd = handedOut;
  putWord(pastTheEnd, 12 + 8, static_cast<std::uint32_t>(ttc.size() - 2));
  EXPECT_TRUE(platform::faceOfCollection(ttc, pastTheEnd).empty());
  EXPECT_TRUE(platform::faceOfCollection(ttc, {handedOut.begin(), handedOut.begin() + 20}).empty());
  EXPECT_TRUE(platform::faceOfCollection(ttc, {}).empty());
}

TEST_F(TextFontTest, MetricsAreThoseOfAFaceOfSize28DrawnAtHalfSize) {
  // A 28-pixel face spans more than its size from the top of its tallest glyph to the
  // bottom of its deepest, and descends a few pixels below the baseline.
  EXPECT_GT(font_->sizeHeight(), 28.0f);
  EXPECT_LT(font_->sizeHeight(), 60.0f);
  EXPECT_LT(font_->descender(), -3.0f);
  EXPECT_GT(font_->descender(), -14.0f);
  EXPECT_FLOAT_EQ(font_->lineHeight(), font_->sizeHeight() / 2);
  // A capital is about 20 pixels tall at face size: about 10 drawn.
  const auto h = layout("H", 0, 0);
  ASSERT_EQ(h.size(), 1u);
  EXPECT_NEAR(h[0].top - h[0].bottom, 10.0f, 2.0f);
  EXPECT_NEAR(h[0].bottom, 0.0f, 0.5f) << "a capital sits on the baseline";
}

TEST_F(TextFontTest, PenStartsOnWholePixels) {
  const auto at10 = layout("Ag", 10, 20);
  const auto at107 = layout("Ag", 10.7f, 20.9f);
  const auto atMinusHalf = layout("Ag", -0.5f, 0);
  const auto atMinusOne = layout("Ag", -1, 0);
  ASSERT_EQ(at10.size(), 2u);
  for (std::size_t i = 0; i < at10.size(); ++i) {
    EXPECT_FLOAT_EQ(at107[i].left, at10[i].left);
    EXPECT_FLOAT_EQ(at107[i].top, at10[i].top);
    EXPECT_FLOAT_EQ(atMinusHalf[i].left, atMinusOne[i].left);
  }
}

TEST_F(TextFontTest, AdvancesAreHalfSizeAndAddUpToTheWidth) {
  const float a = font_->textWidth("A");
  EXPECT_GT(a, 4.0f);
  EXPECT_LT(a, 14.0f);
  const auto quads = layout("AAAA", 0, 0);
  ASSERT_EQ(quads.size(), 4u);
  for (int i = 1; i < 4; ++i) EXPECT_FLOAT_EQ(quads[i].left - quads[i - 1].left, a);
  EXPECT_FLOAT_EQ(font_->textWidth("AAAA"), 4 * a);
  // Glyph rectangles lie inside the texture and are not all the same.
  for (const GlyphQuad& q : layout("Az", 0, 0)) {
    EXPECT_GE(q.s0, 0.0f);
    EXPECT_LE(q.s1, 1.0f);
    EXPECT_LT(q.s0, q.s1);
    EXPECT_LT(q.t0, q.t1);
  }
}

TEST_F(TextFontTest, CharactersWithoutAGlyphAreSkippedAnywhere) {
  const auto plain = layout("AB", 5, 5);
  const auto leading = layout(
      "\x01\x02"
      "AB",
      5, 5);
  const auto inside = layout(
      "A\x01"
      "B",
      5, 5);
  ASSERT_EQ(plain.size(), 2u);
  ASSERT_EQ(leading.size(), 2u);
  ASSERT_EQ(inside.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FLOAT_EQ(leading[i].left, plain[i].left);
    EXPECT_FLOAT_EQ(inside[i].left, plain[i].left);
  }
  EXPECT_TRUE(layout("", 0, 0).empty());
  EXPECT_TRUE(layout("\x01\x03", 0, 0).empty());
  EXPECT_EQ(font_->textWidth("\x01"), 0.0f);
  // Bytes that are not UTF-8 are characters without a glyph, not a crash.
  EXPECT_EQ(layout("\xff\xfe"
                   "A\xc3",
                   0, 0)
                .size(),
            1u);
}

TEST_F(TextFontTest, LabelBufferHoldsOnlyWrittenQuadsInOrder) {
  TW::StaticText labels(font_);
  const float colour[4] = {1, 1, 1, 1};
  EXPECT_EQ(labels.addText("Level", 10, 10, colour), 0);
  EXPECT_EQ(labels.addText("A\x01"
                           "B",
                           10, 30, colour),
            1);
  EXPECT_EQ(labels.addText("", 10, 50, colour), 2);
  EXPECT_EQ(labels.addText("Cut", 10.6f, 70.2f, colour), 3);
  EXPECT_TRUE(labels.dirty());
  labels.rebuild();
  EXPECT_FALSE(labels.dirty());
  const auto& items = labels.items();
  EXPECT_EQ(items[0].vertexCount, 20);
  EXPECT_EQ(items[1].vertexCount, 8) << "the glyph-less character writes nothing";
  EXPECT_EQ(items[2].vertexCount, 0);
  EXPECT_EQ(items[1].firstVertex, 20);
  EXPECT_EQ(items[3].firstVertex, 28);
  EXPECT_EQ(labels.vertices().size(), std::size_t{(20 + 8 + 0 + 12) * 5});
  // Each vertex is s, t, x, y, 0 and the label's pen starts on a whole pixel.
  const auto cut = layout("Cut", 10, 70);
  const float* first = labels.vertices().data() + 28 * 5;
  EXPECT_FLOAT_EQ(first[2], cut[0].left);
  EXPECT_FLOAT_EQ(first[3], cut[0].top);
  EXPECT_FLOAT_EQ(first[4], 0.0f);
  labels.addText("x", 0, 0, colour);
  EXPECT_TRUE(labels.dirty()) << "an addition lays the labels out again";
}

TEST(StaticText, WithoutAFontNothingIsLaidOut) {
  TW::StaticText none(nullptr);
  const float colour[4] = {1, 1, 1, 1};
  EXPECT_EQ(none.addText("Title", 0, 0, colour), 0);
  none.rebuild();
  EXPECT_TRUE(none.vertices().empty());
  TW::StaticText empty(nullptr);
  empty.rebuild();
  EXPECT_TRUE(empty.items().empty());
}

TEST(Tooltip, FadesToExactlyZeroAndRisesTowardsOne) {
  float alpha = 1.0f;
  int frames = 0;
  while (alpha > 0.0f && frames < 1000) alpha = easeTooltipAlpha(alpha, false), ++frames;
  EXPECT_EQ(alpha, 0.0f);
  EXPECT_LT(frames, 60) << "gone within two seconds";
  EXPECT_EQ(easeTooltipAlpha(0.0f, false), 0.0f);
  // Just above the threshold it still shows; just below it is gone.
  EXPECT_GT(easeTooltipAlpha(0.0045f, false), 0.0f);
  EXPECT_EQ(easeTooltipAlpha(0.0044f, false), 0.0f);
  for (int i = 0; i < 60; ++i) alpha = easeTooltipAlpha(alpha, true);
  EXPECT_NEAR(alpha, 1.0f, 1e-3f);
  EXPECT_LE(alpha, 1.0f);
  // Kept 5 units inside either edge of the editor.
  EXPECT_FLOAT_EQ(tooltipLeft(300, 100), 250);
  EXPECT_FLOAT_EQ(tooltipLeft(10, 100), 5);
  EXPECT_FLOAT_EQ(tooltipLeft(600, 100), 505);
}

}  // namespace
}  // namespace gw
