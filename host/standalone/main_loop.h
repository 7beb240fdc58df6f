// The standalone host's main loop: the editor's window and idle calls, and whatever else
// must be served from the main thread at the same pace.
#pragma once

#include <vector>

#include "host/standalone/editor_session.h"
#include "host/standalone/options.h"

namespace gw::standalone {

// Served once per tick of the main loop, after the editor's idle call (an audio or MIDI
// backend's housekeeping, for instance).
class LoopClient {
 public:
  virtual ~LoopClient() = default;
  virtual void tick() = 0;
};

// Installs the SIGINT and SIGTERM handlers that end the loop.
void watchStopSignals();
// True once SIGINT or SIGTERM arrived.
bool stopRequested();

// Runs until the window is closed, a stop signal arrives or the screenshot is written.
// Returns the process exit code.
int runMainLoop(EditorSession& session, const StandaloneOptions& options,
                const std::vector<LoopClient*>& clients);

}  // namespace gw::standalone
