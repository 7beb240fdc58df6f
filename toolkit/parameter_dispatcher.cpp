#include "toolkit/parameter_dispatcher.h"

#include "toolkit/ui_element.h"

namespace gw {

ParameterDispatcher::ParameterDispatcher(ParameterPort& port, const ParameterDisplayRecord* records,
                                         PendingChanges& pending)
    : port_(port), records_(records), pending_(&pending) {
  pending_->clearListened();
  pending_->discard();
}

ParameterDispatcher::~ParameterDispatcher() {
  detach();
}

void ParameterDispatcher::detach() {
  if (pending_ != nullptr) pending_->clearListened();
  pending_ = nullptr;
}

void ParameterDispatcher::addListener(int index, TW::UIElement* listener) {
  if (index < 0 || index >= kParameterCount || listener == nullptr) return;
  if (records_[index].isEmpty()) return;
  listeners_[index].push_back(listener);
  if (pending_ != nullptr) pending_->setListened(index, true);
}

bool ParameterDispatcher::hasListeners(int index) const {
  return index >= 0 && index < kParameterCount && !listeners_[index].empty();
}

void ParameterDispatcher::flush() {
  if (pending_ == nullptr) return;
  const bool lostChanges = pending_->drain([this](int index, float value) {
    if (index < 0 || index >= kParameterCount) return;
    for (TW::UIElement* listener : listeners_[index]) listener->updateValue(records_[index], value);
  });
  if (lostChanges) prime();
}

void ParameterDispatcher::prime() {
  for (int index = 0; index < kParameterCount; ++index) {
    if (listeners_[index].empty()) continue;
    const float value = port_.currentValue(index);
    for (TW::UIElement* listener : listeners_[index]) listener->updateValue(records_[index], value);
  }
}

}  // namespace gw
