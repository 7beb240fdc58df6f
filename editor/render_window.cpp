#include "editor/render_window.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "editor/background.h"
#include "editor/static_text.h"
#include "editor/text_font.h"
#include "platform/gl_context.h"
#include "platform/system.h"
#include "platform/window.h"
#include "toolkit/group.h"

namespace {

std::atomic<int> liveWindows{0};

constexpr float kTitleColour[4] = {0.5f, 0.5f, 0.5f, 1.0f};
constexpr int kVersion[3] = {1, 0, 11};

template <std::size_t N>
void copyText(char (&to)[N], const char* from) {
  std::strncpy(to, from != nullptr ? from : "", N - 1);
  to[N - 1] = '\0';
}

}  // namespace

RenderWindow::RenderWindow(gw::EditorSession* view, gw::ParameterPort& port,
                           gw::PendingChanges& pending, const Rect& rect, std::uintptr_t parent,
                           int pixelWidth, int pixelHeight, std::unique_ptr<gw::TextFont> font)
    : gw::ElementHost(port, pending), view_(view), rect_(rect) {
  if (font && font->loaded()) font_ = std::move(font);
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
    // Every opening would meet it again, on the host's thread.
    gw::platform::showMessageBoxOnce("editor window", error, "Error",
                                     gw::platform::MessageIcon::Warning);
  } else {
    shown_.store(child_->viewable(), std::memory_order_release);
  }

  auto labels = std::make_unique<TW::StaticText>(font_.get());
  labels_ = labels.get();
  effects_.push_back(std::move(labels));
  setText(this);
  if (font_) {
    char title[64];
    std::snprintf(title, sizeof title, "tarnwell : glimmerwick %d.%d.%d", kVersion[0], kVersion[1],
                  kVersion[2]);
    labels_->addText(title, 60.0f, 395.0f - font_->descender() / 2, kTitleColour);
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
  raw->detached_.store(true, std::memory_order_seq_cst);
  // A render-thread call into the plug-in that began before the flag was seen ends
  // within microseconds; after it none begins.
  while (raw->pluginCalls_.load(std::memory_order_seq_cst) != 0) std::this_thread::yield();
  // A native window that only this thread may destroy goes at once when the thread is
  // left to end on its own; the late thread then owns the rest, whose events are never
  // read again.
  const auto lateExit = [raw] { delete raw; };
  const auto abandonChild = [raw] {
    if (raw->child_) raw->child_->abandon();
  };
  if (raw->thread_.stop(waitMs, lateExit, abandonChild)) return;
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
  freezeTree();
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
    const bool viewable = child_->viewable();
    if (shown_.exchange(viewable, std::memory_order_acq_rel) != viewable && viewable) {
      thread_.signal(gw::RenderThread::kShown);
    }
  }
  dispatcher().flush();
  publishStatus();
}

bool RenderWindow::grabFrame(gw::FrameGrab& grab, int waitMs) {
  grab.width = viewportWidth_;
  grab.height = viewportHeight_;
  const std::int64_t needed = std::int64_t{viewportWidth_} * viewportHeight_ * 4;
  if (grab.rgba == nullptr || needed <= 0 || grab.capacity < needed || !thread_.running()) {
    return false;
  }
  std::unique_lock lock(grabMutex_);
  grab_ = &grab;
  grabWanted_.store(true, std::memory_order_release);
  const bool filled = grabFilled_.wait_for(lock, std::chrono::milliseconds(waitMs),
                                           [this] { return grab_ == nullptr; });
  // A frame that comes later must not write into a buffer the host has taken back.
  grab_ = nullptr;
  grabWanted_.store(false, std::memory_order_relaxed);
  return filled;
}

void RenderWindow::publishStatus() {
  gw::StatusText& status = status_.slot();
  status = gw::StatusText{};
  const std::int32_t active = activeParam().load(std::memory_order_relaxed);
  const std::int32_t index = active >= 0 ? active : hoverParam().load(std::memory_order_relaxed);
  status.index = index;
  if (index >= 0 && index < gw::kParameterCount) {
    copyText(status.name, displayRecord(index).name);
    port().parameterDisplay(index, status.value);
    port().parameterLabel(index, status.label);
    status.value[sizeof status.value - 1] = '\0';
    status.label[sizeof status.label - 1] = '\0';
  } else if (index <= -2 && statusStrings() != nullptr && -index - 2 < statusStringCount()) {
    copyText(status.command, statusStrings()[-index - 2]);
  }
  if (std::memcmp(&status, &lastStatus_, sizeof status) == 0) return;
  lastStatus_ = status;
  status_.publish();
}

bool RenderWindow::hasFont() const {
  return font_ != nullptr;
}

float RenderWindow::textWidth(std::string_view text) {
  return font_ ? font_->textWidth(text) : 0.0f;
}

float RenderWindow::sizeHeight() const {
  return font_ ? font_->sizeHeight() : 0.0f;
}

float RenderWindow::descender() const {
  return font_ ? font_->descender() : 0.0f;
}

int RenderWindow::addText(std::string_view text, float x, float y, const float* colour) {
  return labels_->addText(text, x, y, colour);
}
