// Standard MIDI Files (formats 0 and 1) read into one time-ordered list of channel
// messages with their times in seconds, the tempo map applied.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace gw::render {

struct TimedMidi {
  double seconds = 0.0;
  std::uint8_t bytes[3] = {};
  std::uint8_t size = 0;  // 2 for program change and channel pressure, else 3
};

struct Sequence {
  std::vector<TimedMidi> events;  // channel messages only, in playing order
  double endSeconds = 0.0;        // the latest end-of-track or event
};

// Parses the bytes of a file. Tracks of a format 1 file are merged; at equal times the
// earlier track comes first. Tempo changes in any track apply to all. Meta events other
// than tempo and end of track, and system exclusive messages, are skipped. Returns false
// with a one-line reason for anything malformed or truncated, or lasting over 24 hours;
// never reads past the data.
bool parseMidiFile(std::span<const std::uint8_t> data, Sequence& sequence, std::string& error);

// Reads and parses the file at path; the error names the file.
bool readMidiFile(const std::string& path, Sequence& sequence, std::string& error);

}  // namespace gw::render
