#include "editor/render_window.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "editor/background.h"
#include "platform/gl_context.h"
#include "platform/system.h"
#include "platform/window.h"
#include "toolkit/group.h"

namespace {

std::atomic<int> liveWindows{0};

}  // namespace

RenderWindow::RenderWindow(TarnEditor* view, gw::ParameterPort& port, gw::PendingChanges& pending,
                           const Rect& rect, std::uintptr_t parent, int pixelWidth, int pixelHeight)
    : gw::ElementHost(port, pending), view_(view), rect_(rect) {
  liveWindows.fetch_add(1, std::memory_order_relaxed);
  width_ = static_cast<float>(rect.right - rect.left);
  height_ = static_cast<float>(rect.bottom - rect.top);
  if (width_ <= 0.0f || height_ <= 0.0f) width_ = kDesignWidth, height_ = kDesignHeight;
  aspect_ = width_ / height_;
  // The eye sits where the plane z = 0 shows one design unit per pixel at fov_.
  eyeDistance_ = 1.0f / (std::tan(fov_ * 0.5f * 3.14159265f / 180.0f) * 2.0f / height_);
  viewportWidth_ = pixelWidth > 0 ? pixelWidth : static_cast<int>(width_);
  viewportHeight_ = pixelHeight > 0 ? pixelHeight : static_cast<int>(height_);
  scaleX_ = static_cast<float>(viewportWidth_) / width_;
  scaleY_ = static_cast<float>(viewportHeight_) / height_;
  pointer_.setMapping(scaleX_, scaleY_, viewportHeight_);
  background_ = gw::background::initial();

  std::string error;
  child_ = gw::platform::ChildWindow::create(parent, viewportWidth_, viewportHeight_, error);
  if (!child_) {
    gw::platform::showMessageBox(error, "Error", gw::platform::MessageIcon::Warning);
  }
}

RenderWindow::~RenderWindow() {
  // The thread has ended (destroy) or is this very thread, about to end.
  liveWindows.fetch_sub(1, std::memory_order_relaxed);
}

int RenderWindow::liveCount() {
  return liveWindows.load(std::memory_order_relaxed);
}

void RenderWindow::destroy(std::unique_ptr<RenderWindow> window, int waitMs) {
  if (!window) return;
  if (window->pointer_.pressed() && window->child_) {
    window->pointer_.cancel();
    window->child_->releasePointer();
  }
  RenderWindow* raw = window.get();
  // From here the window needs neither the plug-in nor the editor's queue, both of
  // which may go before a late render thread ends.
  raw->dispatcher().detach();
  raw->detached_.store(true, std::memory_order_release);
  if (raw->thread_.stop(waitMs, [raw] { delete raw; })) return;
  // The late thread owns the window now; its events are never read again.
  (void)window.release();
  std::printf("render thread did not stop within %d ms; it is left to end on its own\n", waitMs);
  std::fflush(stdout);
}

gw::Texture& RenderWindow::addTexture(std::uint16_t resourceId) {
  textures_.push_back(std::make_unique<gw::Texture>(resourceId));
  return *textures_.back();
}

void RenderWindow::addEffect(std::unique_ptr<TW::Effect> effect) {
  if (effect) effects_.push_back(std::move(effect));
}

void RenderWindow::startRenderThread() {
  if (!child_) return;  // nothing to draw into; the failure was reported
  thread_.start(*this);
}

void RenderWindow::idle() {
  if (child_) {
    events_.clear();
    child_->pollEvents(events_);
    for (const auto& event : events_) {
      switch (pointer_.handle(event)) {
        case gw::PointerTracker::Capture::Grab:
          child_->capturePointer();
          break;
        case gw::PointerTracker::Capture::Release:
          child_->releasePointer();
          break;
        case gw::PointerTracker::Capture::Keep:
          break;
      }
    }
  }
  dispatcher().flush();
}
