#include "host/render/phrase.h"

#include <algorithm>
#include <cstdint>

namespace gw::render {

namespace {

struct PhraseNote {
  double beat;
  double beats;
  std::uint8_t note;
  std::uint8_t velocity;
};

// Cmaj7 | Am7 | Fmaj7 | G6 | C, chords held a bar each, melody an octave above.
// clang-format off
constexpr PhraseNote kPhrase[] = {
  {0, 4, 48, 45}, {0, 4, 52, 45}, {0, 4, 55, 45}, {0, 4, 59, 45},
  {4, 4, 45, 45}, {4, 4, 52, 45}, {4, 4, 55, 45}, {4, 4, 60, 45},
  {8, 4, 41, 45}, {8, 4, 48, 45}, {8, 4, 52, 45}, {8, 4, 57, 45},
  {12, 4, 43, 45}, {12, 4, 50, 45}, {12, 4, 55, 45}, {12, 4, 64, 45},
  {16, 3, 36, 55}, {16, 3, 48, 55}, {16, 3, 55, 55}, {16, 3, 64, 55},
  {0, 1, 76, 100}, {1, 1, 79, 96}, {2, 0.5, 76, 92}, {2.5, 0.5, 74, 88}, {3, 1, 72, 96},
  {4, 1.5, 69, 100}, {5.5, 0.5, 72, 88}, {6, 1, 76, 96}, {7, 1, 74, 92},
  {8, 1, 72, 100}, {9, 0.5, 69, 88}, {9.5, 0.5, 72, 88}, {10, 1.5, 77, 104}, {11.5, 0.5, 76, 90},
  {12, 1, 74, 100}, {13, 1, 71, 92}, {14, 1, 67, 88}, {15, 1, 71, 92},
  {16, 3, 72, 100},
};
// clang-format on

// Notes end a little early so repeated notes are heard as separate strokes.
constexpr double kArticulation = 0.95;

}  // namespace

Sequence builtInPhrase() {
  const double secondsPerBeat = 60.0 / kPhraseBeatsPerMinute;
  Sequence sequence;
  for (const PhraseNote& n : kPhrase) {
    TimedMidi on{n.beat * secondsPerBeat, {0x90, n.note, n.velocity}, 3};
    TimedMidi off{(n.beat + n.beats * kArticulation) * secondsPerBeat, {0x80, n.note, 0}, 3};
    sequence.events.push_back(on);
    sequence.events.push_back(off);
    sequence.endSeconds = std::max(sequence.endSeconds, off.seconds);
  }
  // At equal times note-offs go first, so a note struck again is not cut by its old end.
  std::stable_sort(sequence.events.begin(), sequence.events.end(),
                   [](const TimedMidi& a, const TimedMidi& b) {
                     if (a.seconds != b.seconds) return a.seconds < b.seconds;
                     return (a.bytes[0] & 0xF0) == 0x80 && (b.bytes[0] & 0xF0) != 0x80;
                   });
  return sequence;
}

}  // namespace gw::render
