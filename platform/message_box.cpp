// The OS-independent half of a message box: the copy on standard error and the sink that
// tests put in place of the window. The window itself is showNativeMessageBox, per OS.
#include <cstdio>
#include <mutex>
#include <set>
#include <string>

#include "platform/module_pin.h"
#include "platform/native_message_box.h"
#include "platform/system.h"

namespace gw::platform {
namespace {

// Guards the sink and the keys shown once.
std::mutex sinkMutex;
MessageSink& sinkSlot() {
  static MessageSink sink;
  return sink;
}
std::set<std::string, std::less<>>& shownKeys() {
  static std::set<std::string, std::less<>> keys;
  return keys;
}

void writeToStandardError(std::string_view text, std::string_view caption) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
}

}  // namespace

void setMessageSink(MessageSink sink) {
  std::lock_guard lock(sinkMutex);
  sinkSlot() = std::move(sink);
  shownKeys().clear();
}

void showMessageBoxOnce(std::string_view key, std::string_view text, std::string_view caption,
                        MessageIcon icon) {
  bool first = false, toSink = false;
  {
    std::lock_guard lock(sinkMutex);
    first = shownKeys().emplace(key).second;
    toSink = static_cast<bool>(sinkSlot());
  }
  if (!first) {
    writeToStandardError(text, caption);
    return;
  }
  // The keys are this module's statics: pinned, it keeps them through an unload. A box
  // that only goes to a test's sink needs no pin.
  if (!toSink) keepModuleMapped();
  showMessageBox(text, caption, icon);
}

void showMessageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  writeToStandardError(text, caption);
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
