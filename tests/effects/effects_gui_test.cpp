// The effects drawing on a real GL context (Mesa under a virtual X server), in the GL state
// the render window's passes hand them: pixels where they draw, the knob vertex program
// loaded and used, and the GL state left as found.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "effects/ripple_knob_renderer.h"
#include "effects/ripples.h"
#include "effects/vortex.h"
#include "gfx/texture.h"
#include "platform/gl_context.h"
#include "platform/top_level_window.h"
#include "platform/window.h"
#include "resources/resource_table.h"
#include "tests/effects/eye_candy_switch.h"
#include "tests/effects/scripted_random.h"

namespace TW {
namespace {

constexpr int kWidth = 160, kHeight = 120;

struct Pixel {
  int red, green, blue;
  int sum() const { return red + green + blue; }
};

class EffectsGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    top_ = gw::platform::TopLevelWindow::create(kWidth, kHeight, "effects test", error);
    ASSERT_NE(top_, nullptr) << error;
    child_ = gw::platform::ChildWindow::create(top_->nativeHandle(), kWidth, kHeight, error);
    ASSERT_NE(child_, nullptr) << error;
    context_ = gw::platform::GlContext::create(child_->nativeHandle(), error);
    ASSERT_NE(context_, nullptr) << error;
    ASSERT_TRUE(context_->makeCurrent());
    ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glReadBuffer(GL_BACK);
  }
  void TearDown() override {
    if (context_) context_->releaseCurrent();
    context_.reset();
    child_.reset();
    top_.reset();
  }

  // The scene's state: pixels from the bottom left, identity model-view, depth off, the
  // two lights and the material the lit knobs use.
  static void twoDimensionalPass(float light1X, float light1Y) {
    glDepthRange(0.0, 0.1);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(-1.0f, -1.0f, 0.0f);
    glScalef(2.0f / kWidth, 2.0f / kHeight, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1};
    const GLfloat diffuse0[] = {0.8f, 0.8f, 0.8f, 1}, specular0[] = {0.2f, 0.2f, 0.2f, 1};
    const GLfloat direction0[] = {0.6f, 0.6f, 0.5f, 0};
    const GLfloat diffuse1[] = {0.9f, 0.9f, 0.9f, 1}, specular1[] = {0.5f, 0.5f, 0.7f, 1};
    const GLfloat position1[] = {light1X, light1Y, 50, 1};
    const GLfloat material[] = {0.5f, 0.5f, 0.5f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    setLight(GL_LIGHT0, diffuse0, specular0, direction0);
    setLight(GL_LIGHT1, diffuse1, specular1, position1);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40.0f);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material);
  }
  // Light from straight ahead only, so every side of a knob's rim is lit alike.
  static void frontLight() {
    const GLfloat front[] = {0, 0, 1, 0}, black[] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, front);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, black);
    glLightfv(GL_LIGHT1, GL_SPECULAR, black);
  }
  static void darkLights() {
    const GLfloat black[] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1}) {
      glLightfv(light, GL_DIFFUSE, black);
      glLightfv(light, GL_SPECULAR, black);
    }
  }
  static void setLight(GLenum light, const GLfloat* diffuse, const GLfloat* specular,
                       const GLfloat* position) {
    glEnable(light);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
    glLightfv(light, GL_POSITION, position);
  }

  // The 3-D pass: perspective with z = 0 at one unit a pixel, depth, culling, lighting.
  static void threeDimensionalPass() {
    const double eye = kHeight / (2.0 * std::tan(32.5 * 3.141592653589793 / 180.0));
    glDepthRange(0.1, 1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(65.0, static_cast<double>(kWidth) / kHeight, eye, 100.0 * eye);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-kWidth / 2.0f, -kHeight / 2.0f, static_cast<float>(-eye));
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1};
    const GLfloat diffuse[] = {0.6f, 0.6f, 0.6f, 1}, specular[] = {0.3f, 0.3f, 0.3f, 1};
    const GLfloat position[] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    setLight(GL_LIGHT0, diffuse, specular, position);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
  }

  static Pixel pixel(float x, float y) {
    GLubyte p[4] = {};
    glReadPixels(static_cast<GLint>(x), static_cast<GLint>(y), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
  }
  static void clear() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

  // What the effects must switch off again after drawing.
  static void expectStateRestored() {
    for (GLenum cap : {GL_BLEND, GL_TEXTURE_2D, GL_ALPHA_TEST, GL_FOG, GL_VERTEX_PROGRAM_ARB}) {
      EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap;
    }
    for (GLenum array :
         {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY}) {
      EXPECT_FALSE(glIsEnabled(array)) << std::hex << array;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  gw::test::EyeCandySwitch eyeCandy_{true};
  std::unique_ptr<gw::platform::TopLevelWindow> top_;
  std::unique_ptr<gw::platform::ChildWindow> child_;
  std::unique_ptr<gw::platform::GlContext> context_;
};

// A pointer wedge is the brightest part of a knob's rim: compare the rim towards the
// pointer with the rim opposite it.
void expectPointerAt(float cx, float cy, float radius, float angle) {
  const float towards[2] = {cx + 0.8f * radius * std::sin(angle),
                            cy + 0.8f * radius * std::cos(angle)};
  const float away[2] = {cx - 0.8f * radius * std::sin(angle),
                         cy - 0.8f * radius * std::cos(angle)};
  GLubyte a[4] = {}, b[4] = {};
  glReadPixels(static_cast<GLint>(towards[0]), static_cast<GLint>(towards[1]), 1, 1, GL_RGBA,
               GL_UNSIGNED_BYTE, a);
  glReadPixels(static_cast<GLint>(away[0]), static_cast<GLint>(away[1]), 1, 1, GL_RGBA,
               GL_UNSIGNED_BYTE, b);
  EXPECT_GT(a[0] + a[1] + a[2], b[0] + b[1] + b[2] + 60) << "angle " << angle;
}

TEST_F(EffectsGuiTest, KnobProgramLoadsWithoutErrorAndIsThePathTaken) {
  ASSERT_TRUE(GLEW_ARB_vertex_program) << "Mesa offers GL_ARB_vertex_program";
  RippleKnobRenderer renderer;
  const int knob = renderer.addKnob();
  renderer.setKnobColour(knob, 0.2f, 0.2f, 0.9f, 1.0f);
  renderer.setKnobGeometry(knob, 80.0f, 60.0f, 30.0f);
  ::testing::internal::CaptureStderr();
  renderer.glSetUp();
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed.find("error at position"), std::string::npos) << printed;
  ASSERT_NE(renderer.program(), 0u);

  // Lights that give nothing: through the lighting program the knob stays black, where
  // the unlit fallback would show its vertex colours.
  twoDimensionalPass(80.0f, 60.0f);
  darkLights();
  renderer.draw2D();
  EXPECT_TRUE(renderer.vertexProgramEnabledLastFrame());
  EXPECT_EQ(pixel(80, 60).sum(), 0);
  expectStateRestored();

  // The scene's lights: lit, with a blue knob staying blue.
  clear();
  twoDimensionalPass(80.0f, 60.0f);
  renderer.draw2D();
  const Pixel centre = pixel(80, 60);
  EXPECT_GT(centre.blue, 100);
  EXPECT_GT(centre.blue, centre.red);
  frontLight();
  clear();
  renderer.draw2D();
  expectPointerAt(80.0f, 60.0f, 30.0f, 0.0f);
  expectStateRestored();
  renderer.glRelease();
  EXPECT_EQ(renderer.program(), 0u);
}

TEST_F(EffectsGuiTest, PointersFollowAnglesSetAfterSetUpOneKnobAtATime) {
  RippleKnobRenderer renderer;
  const float centres[2][2] = {{40.0f, 60.0f}, {120.0f, 60.0f}};
  for (const auto& c : centres) {
    const int knob = renderer.addKnob();
    renderer.setKnobColour(knob, 1.0f, 0.2f, 0.2f, 1.0f);
    renderer.setKnobGeometry(knob, c[0], c[1], 30.0f);
  }
  renderer.glSetUp();
  twoDimensionalPass(80.0f, 60.0f);
  frontLight();
  renderer.setKnobAngle(0, RippleKnobRenderer::angleFor(0.0f));
  renderer.setKnobAngle(1, RippleKnobRenderer::angleFor(1.0f));
  renderer.draw2D();
  expectPointerAt(40.0f, 60.0f, 30.0f, -2.3561945f);
  expectPointerAt(120.0f, 60.0f, 30.0f, 2.3561945f);

  clear();
  renderer.setKnobAngle(1, RippleKnobRenderer::angleFor(0.5f));
  renderer.draw2D();
  expectPointerAt(40.0f, 60.0f, 30.0f, -2.3561945f);
  expectPointerAt(120.0f, 60.0f, 30.0f, 0.0f);
  expectStateRestored();
  renderer.glRelease();
}

TEST_F(EffectsGuiTest, NoKnobsDrawNothing) {
  RippleKnobRenderer renderer;
  renderer.glSetUp();
  twoDimensionalPass(80.0f, 60.0f);
  renderer.draw2D();
  EXPECT_FALSE(renderer.vertexProgramEnabledLastFrame());
  for (float x : {10.0f, 80.0f, 150.0f}) EXPECT_EQ(pixel(x, 60).sum(), 0);
  expectStateRestored();
  renderer.glRelease();
}

// The ripple image is black inside with a grey band near its edges: drawn additively,
// only the band shows.
TEST_F(EffectsGuiTest, RippleQuadShowsTheTexturesBandAtFullEnvelope) {
  gw::Texture texture(gw::resources::kRippleImageId);
  texture.upload();
  ASSERT_NE(texture.name(), 0u);
  Ripples ripples(&texture);
  const float colour[4] = {0.2f, 0.6f, 0.8f, 1.0f};
  // Lifetime 0.2: after one step h = 1, the envelope's peak; no growth.
  ripples.addRipple(80.0f, 60.0f, colour, 32.0f, 0.2f, 0.0f);
  ripples.step();
  twoDimensionalPass(0.0f, 0.0f);
  ripples.draw2D();
  const Pixel band = pixel(80.0f - 32.0f + 2.0f, 60.0f);
  EXPECT_GT(band.blue, 25);
  EXPECT_GT(band.blue, band.red);
  EXPECT_EQ(pixel(80.0f, 60.0f).sum(), 0);
  EXPECT_EQ(pixel(80.0f - 40.0f, 60.0f).sum(), 0);
  expectStateRestored();
  texture.release();
}

TEST_F(EffectsGuiTest, RipplesWithoutTextureAreSquaresThatFadeAndEyeCandyHides) {
  Ripples ripples(nullptr);
  const float colour[4] = {0.0f, 0.0f, 1.0f, 0.5f};
  ripples.addRipple(80.0f, 60.0f, colour, 10.0f, 0.2f, 0.0f);
  ripples.step();
  twoDimensionalPass(0.0f, 0.0f);
  ripples.draw2D();
  EXPECT_NEAR(pixel(80, 60).blue, 128, 2);
  EXPECT_EQ(pixel(80, 60 + 12).sum(), 0);

  // Later in its life, dimmer: envelope 0.6 at half its life.
  clear();
  ripples.step(), ripples.step();
  ripples.draw2D();
  EXPECT_NEAR(pixel(80, 60).blue, 0.5 * (1.2 - 0.2 * 3.0) * 255, 3);

  clear();
  {
    gw::test::EyeCandySwitch off(false);
    ripples.draw2D();
  }
  EXPECT_EQ(pixel(80, 60).sum(), 0);
  expectStateRestored();
}

TEST_F(EffectsGuiTest, VortexDrawsALitCubeWhereItWasLaunchedAndPointsInFog) {
  gw::test::scriptedValues = {32767, 16384, 16384};  // cube axis z; then no point spawns
  Vortex vortex(&gw::test::scriptedRandom);
  vortex.addCube(80.0f, 60.0f);
  vortex.step();
  threeDimensionalPass();
  vortex.draw3D();
  // Blue-grey, mostly ambient (the light sits near the bottom-left corner): the launch
  // point lies inside the cube's front face.
  const Pixel cube = pixel(80, 60);
  EXPECT_GT(cube.blue, 20);
  EXPECT_GT(cube.blue, cube.red);
  EXPECT_EQ(pixel(80 + 20, 60).sum(), 0);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  expectStateRestored();

  // A point: one pixel of pale blue near where it spawned, the image's lower left.
  clear();
  gw::test::scriptedValues = {0, 0, 0};
  Vortex points(&gw::test::scriptedRandom);
  points.step();
  ASSERT_EQ(points.pointCount(), 1);
  threeDimensionalPass();
  points.draw3D();
  std::array<GLubyte, 8 * 8 * 4> corner{};
  glReadPixels(0, 0, 8, 8, GL_RGBA, GL_UNSIGNED_BYTE, corner.data());
  int brightest = 0;
  for (std::size_t i = 0; i < corner.size(); i += 4)
    brightest = std::max<int>(brightest, corner[i + 2]);
  EXPECT_GT(brightest, 150);
  expectStateRestored();
}

}  // namespace
}  // namespace TW
