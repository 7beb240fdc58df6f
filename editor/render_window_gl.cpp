// The render thread's side of the render window: GL set-up and release, and the frame.
#include <GL/glew.h>
#include <GL/glu.h>

#include <mutex>
#include <string>

#include "editor/background.h"
#include "editor/render_window.h"
#include "platform/gl_context.h"
#include "platform/system.h"
#include "toolkit/group.h"

namespace {

void warn(const std::string& text) {
  gw::platform::showMessageBox(text, "Error", gw::platform::MessageIcon::Warning);
}

void setLight(GLenum light, const GLfloat (&diffuse)[4], const GLfloat (&specular)[4],
              const GLfloat* position) {
  glEnable(light);
  glLightfv(light, GL_DIFFUSE, diffuse);
  glLightfv(light, GL_SPECULAR, specular);
  glLightfv(light, GL_POSITION, position);
}

void setMaterial(const GLfloat (&specular)[4]) {
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40.0f);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);
}

constexpr GLfloat kAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};

}  // namespace

void RenderWindow::glSetUp() {
  std::string error;
  context_ = gw::platform::GlContext::create(child_->nativeHandle(), error);
  if (!context_) {
    warn(error);
    return;
  }
  if (!context_->makeCurrent()) {
    warn("cannot make the editor's OpenGL context current: " + gw::platform::lastErrorText());
    context_.reset();
    return;
  }
  glReady_ = true;
  GLenum loaded;
  {
    // GLEW keeps its entry points in globals shared by every editor's render thread.
    static std::mutex glewMutex;
    std::lock_guard lock(glewMutex);
    loaded = glewInit();
  }
  if (loaded != GLEW_OK) {
    warn(reinterpret_cast<const char*>(glewGetErrorString(loaded)));
    return;
  }
  glDisable(GL_MULTISAMPLE);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  for (auto& texture : textures_) texture->upload();
  for (const auto& element : elements()) element->glInit();
  for (const auto& element : elements()) element->glPostInit();
  for (auto& effect : effects_) effect->glSetUp();
  for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

void RenderWindow::glRelease() {
  if (!context_) return;
  context_->makeCurrent();
  for (auto& texture : textures_) texture->release();
  for (auto& effect : effects_) effect->glRelease();
  context_->releaseCurrent();
  context_.reset();
  glReady_ = false;
}

void RenderWindow::renderFrame() {
  if (!detached()) engineStatus_ = port().activity();
  for (auto& effect : effects_) effect->step();
  if (glReady_) drawFrame();
}

void RenderWindow::drawFrame() {
  context_->makeCurrent();
  glViewport(0, 0, viewportWidth_, viewportHeight_);
  glDepthMask(GL_TRUE);
  glClear(GL_DEPTH_BUFFER_BIT);
  glDepthMask(GL_FALSE);
  drawBackground();
  draw3DPass();

  glDepthRange(0.0, 0.1);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glTranslatef(-1.0f, -1.0f, 0.0f);
  glScalef(2.0f / width_, 2.0f / height_, 1.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  drawScene();
  context_->swapBuffers();
}

void RenderWindow::drawBackground() {
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const float activity = engineStatus_.activity;
  backgroundTime_ = gw::background::advance(backgroundTime_, activity, frameInterval_);
  gw::background::colour(background_, backgroundTime_, activity);
  glInterleavedArrays(GL_C3F_V3F, 0, background_.data());
  glDrawElements(GL_TRIANGLE_STRIP, static_cast<GLsizei>(gw::background::kStrip.size()),
                 GL_UNSIGNED_BYTE, gw::background::kStrip.data());
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

void RenderWindow::draw3DPass() {
  glDepthRange(0.1, 1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fov_, aspect_, eyeDistance_, 100.0 * eyeDistance_);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(-width_ / 2.0f, -height_ / 2.0f, -eyeDistance_);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glEnable(GL_LIGHTING);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kAmbient);
  constexpr GLfloat kPosition[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  setLight(GL_LIGHT0, {0.6f, 0.6f, 0.6f, 1.0f}, {0.3f, 0.3f, 0.3f, 1.0f}, kPosition);
  setMaterial({0.7f, 0.5f, 0.5f, 1.0f});
  for (auto& effect : effects_) effect->draw3D();
}

void RenderWindow::followHovered() {
  const TW::UIElement* hovered = this->hovered().load(std::memory_order_acquire);
  if (hovered == nullptr) return;
  const gw::Box box = hovered->absoluteBounds();
  if (box.isEmpty()) return;
  const gw::Point centre = box.centre();
  light1Position_[0] = 0.9f * light1Position_[0] + 0.1f * centre.x;
  light1Position_[1] = 0.9f * light1Position_[1] + 0.1f * centre.y;
}

void RenderWindow::drawScene() {
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kAmbient);
  constexpr GLfloat kDirection[4] = {0.6f, 0.6f, 0.5f, 0.0f};
  setLight(GL_LIGHT0, {0.8f, 0.8f, 0.8f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}, kDirection);
  followHovered();
  setLight(GL_LIGHT1, {0.9f, 0.9f, 0.9f, 1.0f}, {0.5f, 0.5f, 0.7f, 1.0f}, light1Position_.data());
  setMaterial({0.5f, 0.5f, 0.5f, 1.0f});
  root().draw();
  glDepthMask(GL_FALSE);
  for (auto& effect : effects_) effect->draw2D();
  // The status strip, status text and floating tooltip need the main font.
}
