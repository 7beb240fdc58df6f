// One open editor: the child window in the host's window, the element tree, the effects
// and textures, the GL context (used only by the render thread) and the pointer path.
// Created by the view's buildView and destroyed at close through destroy().
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "editor/frame_grab.h"
#include "editor/render_thread.h"
#include "editor/status_text.h"
#include "editor/text_font.h"
#include "effects/effect.h"
#include "engine/activity_record.h"
#include "gfx/texture.h"
#include "toolkit/element_host.h"
#include "toolkit/pointer_tracker.h"
#include "toolkit/published.h"
#include "toolkit/text_labels.h"

namespace gw::platform {
class ChildWindow;
class GlContext;
}  // namespace gw::platform
namespace TW {
class StaticText;
}

namespace gw {
class EditorSession;
}  // namespace gw

class RenderWindow : public gw::ElementHost, public gw::TextLabels {
 public:
  // Window pixels, y downwards, as the host sees the editor.
  struct Rect {
    std::int16_t top = 0, left = 0, bottom = 0, right = 0;
  };
  static constexpr float kDesignWidth = 610.0f;
  static constexpr float kDesignHeight = 415.0f;

  // Thread: UI. rect is in design units; the child window takes pixelWidth x
  // pixelHeight (the scaled editor size) and the design space is mapped onto it. font:
  // the main font, null or holding no face for an editor without text.
  RenderWindow(gw::EditorSession* view, gw::ParameterPort& port, gw::PendingChanges& pending,
               const Rect& rect, std::uintptr_t parent, int pixelWidth, int pixelHeight,
               std::unique_ptr<gw::TextFont> font = nullptr);
  ~RenderWindow();

  // Thread: UI. Stops the render thread, waiting at most 5000 ms, then frees the window
  // and its child window. A render thread that does not stop keeps the window alive and
  // frees it itself when it ends; no event reaches the window in between.
  static void destroy(std::unique_ptr<RenderWindow> window,
                      int waitMs = gw::RenderThread::kStopWaitMs);
  // Thread: any. Render windows not yet freed, abandoned ones included.
  static int liveCount();

  // Thread: UI, while the view is built.
  gw::Texture& addTexture(std::uint16_t resourceId);
  void addEffect(std::unique_ptr<TW::Effect> effect);
  // Thread: UI. Once the tree is complete; a second call only complains.
  void startRenderThread();

  // Thread: UI. Pointer events from the child window into the tree, then a flush, then
  // the status texts published for the render thread.
  void idle();

  // Thread: UI. Copies the next frame the render thread draws into grab's buffer, waiting
  // at most waitMs; sets grab's size first. False when the buffer is too small or no
  // frame came (hidden window, no GL).
  bool grabFrame(gw::FrameGrab& grab, int waitMs = gw::kFrameGrabWaitMs);

  // The main font and the labels (TextLabels). Thread: render, or UI before it starts.
  bool hasFont() const override;
  float textWidth(std::string_view text) override;
  float sizeHeight() const override;
  float descender() const override;
  int addText(std::string_view text, float x, float y, const float* colour) override;
  TW::StaticText& labels() const { return *labels_; }
  gw::TextFont* font() const { return font_.get(); }

  // Thread: any. False while the host hides the window (its child window is not
  // viewable): the render thread then draws nothing until it is shown again.
  bool shown() const { return shown_.load(std::memory_order_acquire); }

  gw::EditorSession* view() const { return view_; }
  float scale() const { return scaleX_; }
  int viewportWidth() const { return viewportWidth_; }
  int viewportHeight() const { return viewportHeight_; }
  // Null when the child window could not be created.
  gw::platform::ChildWindow* childWindow() const { return child_.get(); }
  std::uint64_t framesDrawn() const { return thread_.frames(); }
  // Thread: any. True once closing began: the plug-in may be gone, so the render
  // thread must not call it any more.
  bool detached() const { return detached_.load(std::memory_order_acquire); }

  // Render thread only (render_window_gl.cpp).
  void glSetUp();
  void renderFrame();
  void glRelease();
  void setFrameInterval(float seconds) { frameInterval_ = seconds; }

 private:
  void drawFrame();
  void drawBackground();
  void draw3DPass();
  void drawScene();
  void drawStatus();
  void drawTooltip(const char* text);
  // Render thread, after drawing and before the swap.
  void fillFrameGrab();
  void followHovered();
  // Thread: UI.
  void publishStatus();

  gw::EditorSession* view_;
  std::vector<std::unique_ptr<gw::Texture>> textures_;
  std::vector<std::unique_ptr<TW::Effect>> effects_;
  Rect rect_;
  float scaleX_ = 1.0f;
  float scaleY_ = 1.0f;
  std::unique_ptr<gw::platform::ChildWindow> child_;
  gw::PointerTracker pointer_{*this};
  std::vector<gw::platform::PointerEvent> events_;

  // Projection, from the design rectangle.
  float width_ = kDesignWidth, height_ = kDesignHeight;
  float aspect_ = 0.0f;
  float fov_ = 65.0f;
  float eyeDistance_ = 0.0f;
  int viewportWidth_ = 0, viewportHeight_ = 0;

  // Render-thread state.
  std::unique_ptr<gw::platform::GlContext> context_;
  bool glReady_ = false;
  float frameInterval_ = 0.0f;
  double backgroundTime_ = 0.0;
  std::array<float, 9 * 6> background_{};
  std::array<float, 4> light1Position_{0.0f, 0.0f, 50.0f, 1.0f};
  gw::ActivityRecord engineStatus_;
  float tooltipAlpha_ = 0.0f;
  float tooltipX_ = 0.0f, tooltipY_ = 0.0f, tooltipWidth_ = 0.0f, tooltipHeight_ = 0.0f;
  char tooltipText_[256] = {};

  // Text: the font, the labels (owned by effects_) and the status texts that the UI
  // thread publishes and the render thread draws.
  std::unique_ptr<gw::TextFont> font_;
  TW::StaticText* labels_ = nullptr;
  gw::Published<gw::StatusText> status_;
  gw::StatusText lastStatus_;  // UI thread: the last one published
  // Render-thread calls into the plug-in in progress; closing waits for them to end
  // once it has set detached_, so none can reach a plug-in that is being freed.
  std::atomic<int> pluginCalls_{0};
  // Set when the window is abandoned to a late render thread: it no longer asks the
  // plug-in for anything, since the plug-in may be gone.
  std::atomic<bool> detached_{false};
  std::atomic<bool> shown_{true};

  // A frame grab in progress: the UI thread's request, filled by the render thread.
  std::atomic<bool> grabWanted_{false};
  std::mutex grabMutex_;
  std::condition_variable grabFilled_;
  gw::FrameGrab* grab_ = nullptr;  // guarded by grabMutex_; null once filled

  gw::RenderThread thread_;
};
