// The four waveform buttons' commands: they rewrite the sixteen harmonic levels through
// the editor's write path (store, notify, automate), each level in an edit gesture of its
// own, and leave every other parameter alone.
#pragma once

#include "toolkit/parameter_port.h"

namespace gw {

enum class Waveform { Square, Triangle, Saw, Sine };

// Thread: UI. Square and triangle write the odd harmonics ascending, then zero the even
// ones; saw and sine write harmonics 1 to 16 ascending.
void writeWaveform(ParameterPort& port, Waveform waveform);

}  // namespace gw
