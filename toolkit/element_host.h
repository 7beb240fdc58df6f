// The part of the render window that the element tree talks to: it owns the elements,
// the root group, the display records and the dispatcher, and holds the hover and edit
// state that the UI thread writes and the render thread reads.
//
// What the render thread may read: the tree's structure (elements, group children and
// offsets, boxes) is built on the UI thread and complete before the render thread
// starts; from then on it is frozen, and changing it is a programming error that stops
// the process. What a frame reads of a control (its value, colour, the status texts) is
// state published for the render thread as atomics or published copies, never a path
// into the plug-in, which may be gone while a late render thread still draws.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "toolkit/edit_gesture.h"
#include "toolkit/parameter_dispatcher.h"
#include "toolkit/parameter_port.h"
#include "toolkit/text_labels.h"
#include "toolkit/ui_element.h"

namespace TW {
class Group;
}

namespace gw {

class ElementHost {
 public:
  // pending outlives the host: whoever calls parameterChanged keeps appending to it.
  ElementHost(ParameterPort& port, PendingChanges& pending);
  ~ElementHost();
  ElementHost(const ElementHost&) = delete;
  ElementHost& operator=(const ElementHost&) = delete;

  // Thread: UI, while the tree is built. Constructs an element owned by this host.
  template <class T, class... Args>
  T& create(Args&&... args) {
    requireTreeOpen("an element created");
    auto element = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T& ref = *element;
    elements_.push_back(std::move(element));
    return ref;
  }

  // Thread: UI. From here on the tree's structure may no longer change.
  void freezeTree() { frozen_.store(true, std::memory_order_release); }
  bool treeFrozen() const { return frozen_.load(std::memory_order_acquire); }
  // Stops the process when the tree is frozen: a structural change the render thread
  // could see half made is a fault in our own code, not something to carry on from.
  void requireTreeOpen(const char* what) const;

  // The main font's metrics and the label collection; null when the host has no text.
  TextLabels* text() const { return text_; }

  ParameterPort& port() const { return port_; }
  const ParameterDisplayRecord& displayRecord(int index) const { return records_[index]; }
  ParameterDispatcher& dispatcher() { return dispatcher_; }
  TW::Group& root() const { return *root_; }
  const std::vector<std::unique_ptr<TW::UIElement>>& elements() const { return elements_; }

  // -1: nothing; a parameter index; or a button's negative command id.
  std::atomic<std::int32_t>& hoverParam() { return hoverParam_; }
  // The parameter whose edit gesture is open with the host, -1 for none.
  std::atomic<std::int32_t>& activeParam() { return activeParam_; }
  // Thread: UI. The edits the current press has begun with the host.
  EditGesture& edits() { return edits_; }
  std::atomic<TW::UIElement*>& hovered() { return hovered_; }
  std::atomic<TW::UIElement*>& tooltipAnchor() { return tooltipAnchor_; }
  // Texts for the status indices -2, -3, …; may be null.
  const char* const* statusStrings() const { return statusStrings_; }
  int statusStringCount() const { return statusStringCount_; }
  void setStatusStrings(const char* const* strings, int count) {
    statusStrings_ = strings;
    statusStringCount_ = count;
  }

 protected:
  void setText(TextLabels* text) { text_ = text; }

 private:
  ParameterPort& port_;
  std::array<ParameterDisplayRecord, kParameterCount> records_;
  ParameterDispatcher dispatcher_;
  std::vector<std::unique_ptr<TW::UIElement>> elements_;
  TW::Group* root_ = nullptr;
  std::atomic<std::int32_t> hoverParam_{-1};
  std::atomic<std::int32_t> activeParam_{-1};
  EditGesture edits_{port_, activeParam_};
  std::atomic<TW::UIElement*> hovered_{nullptr};
  std::atomic<TW::UIElement*> tooltipAnchor_{nullptr};
  const char* const* statusStrings_ = nullptr;
  int statusStringCount_ = 0;
  TextLabels* text_ = nullptr;
  std::atomic<bool> frozen_{false};
};

}  // namespace gw
