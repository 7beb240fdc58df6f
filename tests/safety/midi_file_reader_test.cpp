// MIDI files that glimmerwick-render must refuse, and their ordinary neighbours.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/render/midi_file.h"

namespace gw {
namespace {

// Format 0, 1 tick per quarter note at the slowest tempo (16.8 s a tick): one note whose
// end of track lies `delta` ticks after its start.
std::vector<std::uint8_t> midiEndingAfter(std::uint32_t delta) {
  std::vector<std::uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF,  // tempo
                                     0x00, 0x90, 60,   100};
  for (int shift = 21; shift > 0; shift -= 7)
    track.push_back(static_cast<std::uint8_t>(0x80 | ((delta >> shift) & 0x7F)));
  for (const std::uint8_t b : {static_cast<std::uint8_t>(delta & 0x7F), std::uint8_t{0xFF},
                               std::uint8_t{0x2F}, std::uint8_t{0x00}})
    track.push_back(b);
  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
                                    1,   0,   1,   'M', 'T', 'r', 'k', 0, 0, 0};
  file.push_back(static_cast<std::uint8_t>(track.size()));
  for (const std::uint8_t b : track) file.push_back(b);
  return file;
}

// Thirty bytes used to set glimmerwick-render rendering for 142 years.
TEST(MidiFileReader, RefusesAFileThatPlaysForCenturies) {
  render::Sequence sequence;
  std::string error;
  EXPECT_FALSE(render::parseMidiFile(midiEndingAfter(0x0FFFFFFF), sequence, error));
  EXPECT_NE(error.find("24 hours"), std::string::npos) << error;
}

TEST(MidiFileReader, AcceptsAFileOfSomeHours) {
  render::Sequence sequence;
  std::string error;
  ASSERT_TRUE(render::parseMidiFile(midiEndingAfter(1000), sequence, error)) << error;
  EXPECT_NEAR(sequence.endSeconds, 1000 * 16.777215, 1e-6);
  ASSERT_EQ(sequence.events.size(), 1u);
}

}  // namespace
}  // namespace gw
