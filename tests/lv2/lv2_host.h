// A minimal in-process LV2 host for the tests: a URID map and an atom sequence of MIDI
// events built in a fixed buffer, as a host hands them to run().
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace gw::test {

class UridMap {
 public:
  UridMap() : map_{this, &UridMap::map}, feature_{LV2_URID__map, &map_} {}
  const LV2_Feature* feature() const { return &feature_; }
  const LV2_URID_Map* get() const { return &map_; }

 private:
  static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri) {
    auto& uris = static_cast<UridMap*>(handle)->uris_;
    for (std::size_t i = 0; i < uris.size(); ++i) {
      if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    }
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
  }
  std::vector<std::string> uris_;
  LV2_URID_Map map_;
  LV2_Feature feature_;
};

class MidiSequence {
 public:
  explicit MidiSequence(const LV2_URID_Map* map)
      : midiEvent_(map->map(map->handle, LV2_MIDI__MidiEvent)),
        sequenceType_(map->map(map->handle, LV2_ATOM__Sequence)) {
    clear();
  }
  void clear() {
    std::memset(buffer_, 0, sizeof buffer_);
    seq()->atom.type = sequenceType_;
    seq()->atom.size = sizeof(LV2_Atom_Sequence_Body);
  }
  void add(std::int64_t frame, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    // Counted from the buffer itself: GCC takes a pointer from the sequence's body member
    // as bounded by that member and warns of an overflow.
    auto* event = reinterpret_cast<LV2_Atom_Event*>(buffer_ + sizeof(LV2_Atom) +
                                                    lv2_atom_pad_size(seq()->atom.size));
    event->time.frames = frame;
    event->body.type = midiEvent_;
    event->body.size = 3;
    auto* bytes = reinterpret_cast<std::uint8_t*>(event + 1);
    bytes[0] = status;
    bytes[1] = data1;
    bytes[2] = data2;
    seq()->atom.size = lv2_atom_pad_size(seq()->atom.size) + sizeof(LV2_Atom_Event) + 3;
  }
  LV2_Atom_Sequence* seq() { return reinterpret_cast<LV2_Atom_Sequence*>(buffer_); }

 private:
  alignas(8) std::uint8_t buffer_[1024];
  LV2_URID midiEvent_, sequenceType_;
};

}  // namespace gw::test
