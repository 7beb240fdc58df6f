// The module's image and vertex program on a real GL context (Mesa): textures are made
// as the rules say, and the knob lighting program compiles and lights as described.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <string>

#include "gfx/texture.h"
#include "gfx/vertex_program.h"
#include "platform/gl_context.h"
#include "platform/system.h"
#include "platform/top_level_window.h"
#include "platform/window.h"
#include "resources/resource_table.h"

namespace gw {
namespace {

class GlResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    top_ = platform::TopLevelWindow::create(64, 64, "gl resources test", error);
    ASSERT_NE(top_, nullptr) << error;
    child_ = platform::ChildWindow::create(top_->nativeHandle(), 64, 64, error);
    ASSERT_NE(child_, nullptr) << error;
    context_ = platform::GlContext::create(child_->nativeHandle(), error);
    ASSERT_NE(context_, nullptr) << error;
    ASSERT_TRUE(context_->makeCurrent());
    ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
  }
  void TearDown() override {
    if (context_) context_->releaseCurrent();
    context_.reset();
    child_.reset();
    top_.reset();
  }

  std::unique_ptr<platform::TopLevelWindow> top_;
  std::unique_ptr<platform::ChildWindow> child_;
  std::unique_ptr<platform::GlContext> context_;
};

TEST_F(GlResourcesTest, RippleImageUploadsOnceForEveryRegistration) {
  Texture first(resources::kRippleImageId), second(resources::kRippleImageId);
  first.upload();
  second.upload();
  ASSERT_NE(first.name(), 0u);
  ASSERT_NE(second.name(), 0u);
  EXPECT_NE(first.name(), second.name());
  EXPECT_TRUE(first.loaded());
  glBindTexture(GL_TEXTURE_2D, first.name());
  GLint width = 0, height = 0, format = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 64);
  EXPECT_TRUE(format == 4 || format == GL_RGBA || format == GL_RGBA8) << format;
  first.release();
  EXPECT_EQ(first.name(), 0u);
  second.release();

  std::string caption;
  platform::setMessageSink([&](std::string_view, std::string_view c) { caption = c; });
  Texture missing(999);
  missing.upload();
  platform::setMessageSink({});
  EXPECT_EQ(missing.name(), 0u);
  EXPECT_TRUE(missing.loaded());
  EXPECT_EQ(caption, "Error");
}

TEST_F(GlResourcesTest, KnobProgramCompilesAndLightsWithAmbientAndBothLights) {
  ASSERT_TRUE(GLEW_ARB_vertex_program) << "Mesa offers GL_ARB_vertex_program";
  const VertexProgram program =
      loadVertexProgram(resources::kTypeVertexProgram, resources::kKnobVertexProgramId);
  ASSERT_EQ(program.errorPosition, -1);
  ASSERT_NE(program.name, 0u);

  // The 2-D pass's set-up: pixels, identity model-view, lights given in eye space.
  glViewport(0, 0, 64, 64);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 64, 0, 64, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const GLfloat ambient[] = {0.1f, 0.1f, 0.1f, 1};
  const GLfloat diffuse[] = {0.5f, 0.5f, 0.5f, 1};
  const GLfloat specular0[] = {0.2f, 0.2f, 0.2f, 1};
  const GLfloat specular1[] = {0.3f, 0.3f, 0.3f, 1};
  const GLfloat direction0[] = {0, 0, 1, 0};
  const GLfloat position1[] = {32, 32, 50, 1};
  const GLfloat materialSpecular[] = {0.5f, 0.5f, 0.5f, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular0);
  glLightfv(GL_LIGHT0, GL_POSITION, direction0);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT1, GL_SPECULAR, specular1);
  glLightfv(GL_LIGHT1, GL_POSITION, position1);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);

  glBindProgramARB(GL_VERTEX_PROGRAM_ARB, program.name);
  glEnable(GL_VERTEX_PROGRAM_ARB);
  // A small quad under light 1, facing the viewer and both lights.
  glBegin(GL_QUADS);
  glNormal3f(0, 0, 1);
  glColor4f(0.4f, 0.4f, 0.4f, 1);
  glVertex3f(31, 31, 0);
  glVertex3f(33, 31, 0);
  glVertex3f(33, 33, 0);
  glVertex3f(31, 33, 0);
  // One facing away from both lights: ambient only.
  glNormal3f(0, 0, -1);
  glVertex3f(5, 5, 0);
  glVertex3f(7, 5, 0);
  glVertex3f(7, 7, 0);
  glVertex3f(5, 7, 0);
  glEnd();
  glDisable(GL_VERTEX_PROGRAM_ARB);
  glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 0);
  GLubyte pixel[4] = {};
  glReadBuffer(GL_BACK);
  glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  // ambient·K + d0·K + d1·K + s0·m + s1·m with both lights straight on.
  const float expected = 0.1f * 0.4f + 0.5f * 0.4f + 0.5f * 0.4f + 0.2f * 0.5f + 0.3f * 0.5f;
  EXPECT_NEAR(pixel[0], expected * 255.0f, 3.0f);
  EXPECT_EQ(pixel[0], pixel[2]);
  glReadPixels(6, 6, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_NEAR(pixel[0], 0.1f * 0.4f * 255.0f, 2.0f);
  glDeleteProgramsARB(1, &program.name);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace gw
