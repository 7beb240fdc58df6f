// The MIDI-file reader of glimmerwick-render, then the scheduler that plays what it read.
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "host/render/midi_file.h"
#include "host/render/schedule.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gw::render::Sequence sequence;
  std::string error;
  if (!gw::render::parseMidiFile(std::span(data, size), sequence, error)) {
    if (error.empty() || error.find('\n') != std::string::npos) __builtin_trap();
    return 0;
  }
  // Longer sequences are refused: rendering them would never end.
  if (!(sequence.endSeconds >= 0.0 && sequence.endSeconds <= 24.0 * 3600.0)) __builtin_trap();
  double last = 0.0;
  for (const auto& event : sequence.events) {
    if (!(event.seconds >= last) || event.size < 2 || event.size > 3) __builtin_trap();
    last = event.seconds;
  }
  gw::render::EventScheduler scheduler(sequence, 44100.0);
  std::vector<gw::host::Plugin::MidiEvent> block;
  const std::int64_t end = scheduler.endFrame();
  // Only the first few minutes: a file may legitimately last for hours.
  for (std::int64_t frame = 0; frame <= end && frame < 44100 * 600; frame += 4096) {
    scheduler.take(frame, 4096, block);
    for (const auto& midi : block)
      if (midi.deltaFrames < 0 || midi.deltaFrames >= 4096) __builtin_trap();
  }
  return 0;
}
