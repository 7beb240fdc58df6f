// The OS-independent half of a message box: the copy on standard error and the sink that
// tests put in place of the window. The window itself is showNativeMessageBox, per OS.
#include <cstdio>
#include <mutex>

#include "platform/native_message_box.h"
#include "platform/system.h"

namespace gw::platform {
namespace {

std::mutex sinkMutex;
MessageSink& sinkSlot() {
  static MessageSink sink;
  return sink;
}

}  // namespace

void setMessageSink(MessageSink sink) {
  std::lock_guard lock(sinkMutex);
  sinkSlot() = std::move(sink);
}

void showMessageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
  MessageSink sink;
  {
    std::lock_guard lock(sinkMutex);
    sink = sinkSlot();
  }
  if (sink) {
    sink(text, caption);
  } else {
    showNativeMessageBox(text, caption, icon == MessageIcon::Warning);
  }
}

}  // namespace gw::platform
