// Sound for the standalone host: a JACK client whose MIDI input and optional MIDI file
// drive the module, and whose two outputs carry what the module renders.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "host/host_library.h"
#include "host/standalone/main_loop.h"
#include "host/standalone/options.h"

namespace gw::standalone {

class JackPlayer : public LoopClient {
 public:
  virtual ~JackPlayer() = default;
  // Thread: UI. True once the MIDI file (if any) has played and the output has been
  // silent for a second since, or the JACK server went away.
  virtual bool finished() const = 0;
  // Thread: UI. Reports, once each, what the audio thread could not say itself.
  void tick() override = 0;
};

// Connects the plug-in to JACK as the options ask. Returns null with `message` set when
// there is no sound: no JACK server, JACK not built in, or the sound was turned off. A
// MIDI file that cannot be read is an error too (message set, `failed` true).
std::unique_ptr<JackPlayer> startJack(host::Plugin& plugin, const StandaloneOptions& options,
                                      std::string& message, bool& failed);

// Thread: UI. Plays without a window until the player is finished or a stop signal
// comes; returns the exit code.
inline int runWithoutEditor(JackPlayer& player) {
  while (!stopRequested() && !player.finished()) {
    player.tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  player.tick();
  return 0;
}

}  // namespace gw::standalone
