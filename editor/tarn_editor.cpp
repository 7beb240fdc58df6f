#include "editor/tarn_editor.h"

#include <cstdint>

#include "editor/display_flags.h"
#include "editor/text_font.h"
#include "plugin/tarn_au_base.h"

TarnEditor::TarnEditor(TarnAuBase* effect) : AEffEditor(effect), port_(*effect) {
  scalePercent_ = gw::guiScalePercent();
  rect_.top = 0;
  rect_.left = 0;
  rect_.bottom = static_cast<std::int16_t>(415 * scalePercent_ / 100);
  rect_.right = static_cast<std::int16_t>(610 * scalePercent_ / 100);
  uiThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  effect->setEditor(this);
  effect->setEditorLink(this);
}

TarnEditor::~TarnEditor() {
  RenderWindow::destroy(std::move(window_));
}

bool TarnEditor::getRect(vst::ERect** rect) {
  if (rect == nullptr) return false;
  *rect = &rect_;
  return true;
}

bool TarnEditor::open(void* ptr) {
  // A second open without close replaces the first window rather than leaking it.
  if (window_) close();
  if (ptr == nullptr) return false;
  systemWindow_ = ptr;
  uiThread_.store(std::this_thread::get_id(), std::memory_order_relaxed);
  buildView(0, 0);
  return false;
}

void TarnEditor::close() {
  RenderWindow::destroy(std::move(window_));
  systemWindow_ = nullptr;
}

void TarnEditor::idle() {
  if (window_) window_->idle();
}

void TarnEditor::parameterChanged(int index, float value) {
  pending_.append(index, value);
}

void TarnEditor::programChanged() {
  if (std::this_thread::get_id() == uiThread_.load(std::memory_order_relaxed) && window_) {
    window_->dispatcher().prime();
  } else {
    pending_.requestReprime();
  }
}

RenderWindow& TarnEditor::createWindow(int x, int y, std::unique_ptr<gw::TextFont> font) {
  RenderWindow::Rect rect;
  rect.left = static_cast<std::int16_t>(x);
  rect.top = static_cast<std::int16_t>(y);
  rect.right = static_cast<std::int16_t>(x + 610);
  rect.bottom = static_cast<std::int16_t>(y + 415);
  RenderWindow::destroy(std::move(window_));
  window_ = std::make_unique<RenderWindow>(
      this, port_, pending_, rect, reinterpret_cast<std::uintptr_t>(systemWindow_),
      rect_.right - rect_.left, rect_.bottom - rect_.top, std::move(font));
  return *window_;
}
