// Delivers parameter changes to the controls that listen to them, on the UI thread:
// queued changes at every flush, the whole program at priming.
#pragma once

#include <array>
#include <vector>

#include "toolkit/parameter_port.h"
#include "toolkit/pending_changes.h"

namespace TW {
class UIElement;
}

namespace gw {

class ParameterDispatcher {
 public:
  ParameterDispatcher(ParameterPort& port, const ParameterDisplayRecord* records,
                      PendingChanges& pending);
  // Stops changes being queued for listeners that are about to go.
  ~ParameterDispatcher();
  ParameterDispatcher(const ParameterDispatcher&) = delete;
  ParameterDispatcher& operator=(const ParameterDispatcher&) = delete;

  // Thread: UI, while the tree is built. Ignored for an index out of range or one whose
  // range and default are all zero.
  void addListener(int index, TW::UIElement* listener);
  // Thread: any.
  bool hasListeners(int index) const;
  // Thread: UI. Every queued change in arrival order to its listeners in registration
  // order; after a lost change (full queue) every listener is primed as well.
  void flush();
  // Thread: UI. Every listener gets the current program's value of its parameter.
  void prime();
  // Thread: UI. Stops queueing for these listeners and lets go of the queue, which may
  // be freed before this dispatcher; flushes deliver nothing afterwards.
  void detach();

 private:
  ParameterPort& port_;
  const ParameterDisplayRecord* records_;
  PendingChanges* pending_;
  std::array<std::vector<TW::UIElement*>, kParameterCount> listeners_;
};

}  // namespace gw
