// The musical phrase rendered when no MIDI file is given: four bars of seventh chords
// under a melody, resolving to a final chord, at a fixed tempo.
#pragma once

#include "host/render/midi_file.h"

namespace gw::render {

constexpr double kPhraseBeatsPerMinute = 132.0;

Sequence builtInPhrase();

}  // namespace gw::render
