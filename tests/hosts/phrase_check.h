// A few notes played by a host through the module, checked as a listener hears them:
// each note's onset, pitch and level against what its key, velocity and the module's
// settings say, silence between notes, and finiteness.
#pragma once

#include <string>
#include <vector>

namespace gw::test {

struct PhraseNote {
  double startSeconds;  // when the host sends the note-on
  double endSeconds;    // when it sends the note-off
  int key;
  int velocity;
};

// The sound settings the hosts give the module for these checks (parameter index and
// normalised value), chosen so that every note is a steady sine whose level follows from
// the settings alone: the first program has harmonic 1 only, the filter through and the
// effect off; attack and decay are instantaneous and the release is short.
struct PhraseSettings {
  double volume = 0.8;          // "Volume": the oscillator scales by its cube
  double sustain = 0.5;         // "Sustain"
  double release = 0.05;        // "Release" in seconds (0..5)
  double attackAndDecay = 0.0;  // seconds until a held note is steady
  // The first program as it comes: 0.5 s attack and decay to 0.7, 0.5 s release.
  static PhraseSettings firstProgram() { return {1.0, 0.7, 0.5, 1.0}; }
  // index=value pairs for a host's parameter calls.
  std::vector<std::pair<int, double>> normalisedParameters() const;
  // Peak level of a held note: Volume³ × Sustain × velocity/127 (the velocity sets the
  // amplitude envelope's peak at the default "Velocity Env Amount" of 1).
  double amplitude(int velocity) const;
};

struct PhraseTolerance {
  // Hosts deliver a note inside the block that holds its time, with its frame in that
  // block, and the module starts it on that frame: an onset lands on its own sample.
  int earlySamples = 1;
  int lateSamples = 1;
  // A voice whose release has ended sounds on at the last fraction of a step it ended on
  // until the end of the block it ended in.
  int blockSamples = 1024;
};

struct LoadedAudio {
  double rate = 0.0;
  std::vector<float> left, right;
  std::string error;
};

// Reads a stereo (or mono) sound file with libsndfile.
LoadedAudio loadAudio(const std::string& path);

// Adds a gtest failure for every way the recording differs from the notes; timeOffset
// is where time zero of the notes falls in the recording, in samples. Returns the onsets
// found, in samples (-1 where none).
std::vector<long> expectPhrase(const LoadedAudio& audio, const std::vector<PhraseNote>& notes,
                               const PhraseSettings& settings, const PhraseTolerance& tolerance,
                               long timeOffset = 0);

// Onset of the first sound at or after sample `from`, or -1: the sample before the first
// one whose magnitude exceeds threshold (the module starts a note at phase 0).
long findOnset(const std::vector<float>& x, long from, float threshold);

double keyFrequency(int key);

}  // namespace gw::test
