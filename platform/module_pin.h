// Keeping the module that holds our code mapped for the rest of the process. Needed
// where a pointer into our code outlives what we control: a thread of ours that is still
// running when the host unloads us, or a handler of ours that a host saved and may call.
#pragma once

namespace gw::platform {

// Makes the loaded module (or program) that contains this function stay mapped until the
// process ends, whatever the host's later unload calls; its static objects then live on
// too. Idempotent. False when the loader refused, which the caller can only report.
// Thread: any (not the audio thread: the loader takes its own lock).
bool keepModuleMapped();

}  // namespace gw::platform
