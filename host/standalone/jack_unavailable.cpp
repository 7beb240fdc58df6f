// The standalone built without JACK's development files: the editor only.
#include "host/standalone/jack_player.h"

namespace gw::standalone {

std::unique_ptr<JackPlayer> startJack(host::Plugin&, const StandaloneOptions& options,
                                      std::string& message, bool& failed) {
  failed = false;
  message = options.audio ? "this build has no JACK support, so there is no sound (install "
                            "libjack-jackd2-dev and build again)"
                          : "sound is off (--no-audio)";
  return nullptr;
}

}  // namespace gw::standalone
