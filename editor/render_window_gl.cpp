// The render thread's side of the render window: GL set-up and release, and the frame.
#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>

#include "editor/background.h"
#include "editor/render_window.h"
#include "editor/text_font.h"
#include "gfx/display_flags.h"
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
  if (font_) {
    font_->loadAsciiGlyphs();
    font_->bindTexture();
  }
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
  if (font_) font_->releaseTexture();
  for (auto& effect : effects_) effect->glRelease();
  context_->releaseCurrent();
  context_.reset();
  glReady_ = false;
}

void RenderWindow::renderFrame() {
  // Announce the call before looking at the flag, so closing either sees it and waits,
  // or has set the flag before the look (sequentially consistent on both sides).
  pluginCalls_.fetch_add(1, std::memory_order_seq_cst);
  if (!detached_.load(std::memory_order_seq_cst)) engineStatus_ = port().activity();
  pluginCalls_.fetch_sub(1, std::memory_order_seq_cst);
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
  if (grabWanted_.load(std::memory_order_acquire)) fillFrameGrab();
  context_->swapBuffers();
}

void RenderWindow::fillFrameGrab() {
  std::lock_guard lock(grabMutex_);
  grabWanted_.store(false, std::memory_order_relaxed);
  if (grab_ == nullptr) return;
  const int width = grab_->width, height = grab_->height;
  std::uint8_t* pixels = grab_->rgba;
  // The request was sized for this viewport, which never changes while the window lives.
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
  // GL's rows run bottom up; a host's image top down, opaque.
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height / 2; ++y) {
    std::swap_ranges(pixels + y * row, pixels + (y + 1) * row, pixels + (height - 1 - y) * row);
  }
  for (std::size_t i = 3; i < row * height; i += 4) pixels[i] = 255;
  grab_ = nullptr;
  grabFilled_.notify_all();
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
  if (font_) drawStatus();
}

void RenderWindow::drawStatus() {
  const float lineHeight = font_->lineHeight();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.9f, 0.9f, 0.9f, 0.1f);
  glRectf(20.0f, 395.0f, 590.0f, 395.0f + lineHeight);
  glDisable(GL_BLEND);

  const gw::StatusText& status = status_.read();
  const float baseline = 395.0f - font_->descender() / 2;
  char tooltip[sizeof tooltipText_] = {};
  glColor3f(0.5f, 0.5f, 0.5f);
  if (status.index >= 0) {
    font_->drawText(status.name, 470.0f - font_->textWidth(status.name) - 10.0f, baseline);
    font_->drawText(status.value, 470.0f, baseline);
    if (status.label[0] != '\0') font_->drawText(status.label, 510.0f, baseline);
    std::snprintf(tooltip, sizeof tooltip, "%s %s%s%s", status.name, status.value,
                  status.label[0] != '\0' ? " " : "", status.label);
  } else if (status.index <= -2 && status.command[0] != '\0') {
    font_->drawText(status.command, 420.0f, baseline);
    std::snprintf(tooltip, sizeof tooltip, "%s", status.command);
  }
  if (gw::displayFlags().floatingTooltip.load(std::memory_order_relaxed)) drawTooltip(tooltip);
}

void RenderWindow::drawTooltip(const char* text) {
  const TW::UIElement* anchor = tooltipAnchor().load(std::memory_order_acquire);
  const bool showing = anchor != nullptr && text[0] != '\0';
  tooltipAlpha_ = gw::easeTooltipAlpha(tooltipAlpha_, showing);
  if (showing) {
    std::snprintf(tooltipText_, sizeof tooltipText_, "%s", text);
    const gw::Box box = anchor->absoluteBounds();
    tooltipWidth_ = font_->textWidth(tooltipText_);
    tooltipX_ = gw::tooltipLeft(box.centre().x, tooltipWidth_);
    tooltipY_ = box.centre().y;
    tooltipHeight_ = font_->lineHeight();
  }
  if (tooltipAlpha_ <= 0.0f) return;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0.7f, 0.7f, 0.7f, 0.5f * tooltipAlpha_);
  glRectf(tooltipX_ - 5.0f, tooltipY_, tooltipX_ + tooltipWidth_ + 5.0f,
          tooltipY_ + tooltipHeight_);
  glDisable(GL_BLEND);
  glColor4f(0.8f, 0.8f, 0.8f, 0.9f * tooltipAlpha_);
  font_->drawText(tooltipText_, tooltipX_, tooltipY_ - font_->descender() / 2);
}
