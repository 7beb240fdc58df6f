// Operating-system services the module needs outside the editor: user-visible error
// boxes and the OS error text. One implementation per OS below platform/; nothing else
// in the tree includes an OS header.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace gw::platform {

enum class MessageIcon { None, Warning };

// Shows a modal message box without owner and with an OK button, and always writes the
// same text to standard error. Thread: any (blocks the caller until dismissed).
void showMessageBox(std::string_view text, std::string_view caption, MessageIcon icon);

// For a failure that every opening of the editor meets again (a missing font, a window
// the system refuses): the box the first time this process asks under key, afterwards
// standard error only, so that a host's thread stops once, not at every opening. From the
// first such box on the module stays mapped, so that a host's unload and reload does not
// forget it. Thread: any.
void showMessageBoxOnce(std::string_view key, std::string_view text, std::string_view caption,
                        MessageIcon icon);

// Tests replace where message boxes go (text, caption); an empty function restores the
// real box. Either also forgets which keys showMessageBoxOnce has shown. Thread: any; the
// sink is process-wide.
using MessageSink = std::function<void(std::string_view text, std::string_view caption)>;
void setMessageSink(MessageSink sink);

// The OS's text for the calling thread's last error, at most 300 characters: the last
// failing window-system call's when there is one (then forgotten), else errno's.
std::string lastErrorText();

}  // namespace gw::platform
