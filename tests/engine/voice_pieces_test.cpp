// The voice loop as the engine calls it when a block is cut at its events: renderVoices on
// pieces of a block, voices starting, released and retiring between pieces, up to 64 in
// the array. However a block is cut, the samples and the voices' state must be those of
// the whole block, and every encoding must agree (AVX exactly, AVX2 with FMA within
// 100 dB SNR) whatever mix of voice layouts a count leads to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "audio_measure.h"
#include "engine/filter.h"
#include "engine/lfo.h"
#include "engine/voice_render.h"
#include "instruction_sets.h"
#include "test_program.h"

namespace gw {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kMostVoices = 64;

using test::snrDb;
using test::usableSets;

// Voices prepared the way the engine prepares them for a block.
struct VoiceArray {
  test::TestProgram program;
  std::vector<Voice> voices = std::vector<Voice>(kMostVoices);
  int count = 0;
  VoiceBlock block;
  FilterBlock filter;
  Float4 lfoIncrements;

  explicit VoiceArray(void (*setting)(test::TestProgram&) = test::makeBusy) {
    setting(program);
    const ParamView p = program.view();
    block = oscillatorBlock(p);
    block.stepMultiplier = 1.0f;
    block.pwLfoCoef = pwLfoCoefficient(p, kRate);
    filter = filterBlock(p, 0.3, kRate);
    block.filter = filter.weights;
    lfoIncrements = voiceLfoIncrements(p, kRate);
  }

  void start(int note, float velocity) {
    Voice& v = voices[count++];
    startVoice(v, note, velocity, program.view(), kRate);
    v.pitchOctaves = (note - 60) / 12.0;
    v.lfoCoef = voiceLfoCoefficients(lfoIncrements, v.pitchOctaves, program.view());
    setFilterCoefficients(v, filter, program.view());
  }
  void release(int index) { releaseVoice(voices[index], program.view(), kRate); }
  // As the engine retires them: the last voice takes a finished voice's place.
  int retireFinished() {
    int retired = 0;
    for (int i = 0; i < count;) {
      if (voices[i].ampEnvelope.stage != 0) {
        ++i;
        continue;
      }
      voices[i] = voices[--count];
      ++retired;
    }
    return retired;
  }
  void render(float* out, int frames) { renderVoices(voices.data(), count, block, out, frames); }
};

std::vector<float> stateOf(const Voice& v) {
  std::vector<float> s{v.phase.lane0(), v.pwLfoSin,   v.pwLfoCos,
                       v.filterLow,     v.filterBand, v.filterHigh};
  for (int j = 0; j < 4; ++j) s.insert(s.end(), {v.lfoSin.lane(j), v.lfoCos.lane(j)});
  Voice copy = v;
  copy.forEachEnvelope([&](Envelope& e) {
    s.insert(s.end(), {e.level, static_cast<float>(e.stage), e.current().increment,
                       static_cast<float>(e.current().remaining)});
  });
  return s;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// A block cut into pieces of 1, 2, 7, 3, 64, 13, ... frames gives the samples and the
// voice state of the block rendered whole: segment ends, the voice layouts' chunks and
// runs all fall at different places in each.
TEST(VoicePieces, PiecesOfABlockGiveTheWholeBlock) {
  const int pieces[] = {1, 2, 7, 3, 64, 13, 1, 29, 5, 40, 16, 8};
  for (InstructionSet set : usableSets()) {
    useInstructions(set);
    for (int count : {1, 2, 3, 5, 8, 11, 33, 64}) {
      VoiceArray whole, cut;
      for (int v = 0; v < count; ++v) {
        whole.start(30 + (v * 7) % 70, 0.3f + 0.01f * v);
        cut.start(30 + (v * 7) % 70, 0.3f + 0.01f * v);
      }
      std::vector<float> a(256), b(256);
      int next = 0;
      for (int blockIndex = 0; blockIndex < 6; ++blockIndex) {
        std::fill(a.begin(), a.end(), 0.0f);
        std::fill(b.begin(), b.end(), 0.0f);
        whole.render(a.data(), 256);
        for (int done = 0; done < 256;) {
          const int n = std::min(pieces[next++ % std::size(pieces)], 256 - done);
          cut.render(b.data() + done, n);
          done += n;
        }
        ASSERT_TRUE(sameBits(a, b))
            << "set " << int(set) << ", " << count << " voices, block " << blockIndex;
        if (blockIndex != 2) continue;
        for (int v = 0; v < count; v += 2) {
          whole.release(v);
          cut.release(v);
        }
      }
      for (int v = 0; v < count; ++v)
        ASSERT_TRUE(sameBits(stateOf(whole.voices[v]), stateOf(cut.voices[v])))
            << "set " << int(set) << ", voice " << v << " of " << count;
    }
  }
  useInstructions(test::defaultLimit());
}

// An organ with an undamped filter at 1760 Hz: note 93's fundamental drives it at its
// resonance until its integrators reach their limit.
void undampedAtA6(test::TestProgram& p) {
  p.makeOrgan();
  p.set(param::kFilterQ, 1.0f);
  p.set(param::kFilterType, 2.0f);
  p.set(param::kFilterCutoff, 1760.0f);
}

// A lone voice filters whole chunks without the integrators' limits, the last two of every
// call included, and runs a chunk again with them where it left them. In calls of any
// length its samples and state are those of one-frame calls, whose filter takes the limits
// sample by sample, before and after the voice has grown into them.
TEST(VoicePieces, ALoneVoiceAtItsFilterLimitGivesTheLimitedSamplesInCallsOfAnyLength) {
  for (InstructionSet set : usableSets()) {
    useInstructions(set);
    for (int call : {16, 32, 48, 40, 256}) {
      VoiceArray chunked(undampedAtA6), single(undampedAtA6);
      chunked.start(93, 1.0f);
      single.start(93, 1.0f);
      std::vector<float> a(call), b(call);
      bool limited = false;
      for (int done = 0; done < 88200; done += call) {
        std::fill(a.begin(), a.end(), 0.0f);
        std::fill(b.begin(), b.end(), 0.0f);
        chunked.render(a.data(), call);
        for (int i = 0; i < call; ++i) single.render(b.data() + i, 1);
        ASSERT_TRUE(sameBits(a, b))
            << "set " << int(set) << ", calls of " << call << " at " << done;
        const Voice& v = single.voices[0];
        limited |=
            std::max(std::fabs(v.filterBand), std::fabs(v.filterLow)) >= 0.98f * kFilterStateLimit;
      }
      EXPECT_TRUE(limited) << "set " << int(set);
      ASSERT_TRUE(sameBits(stateOf(chunked.voices[0]), stateOf(single.voices[0])));
    }
  }
  useInstructions(test::defaultLimit());
}

struct Script {
  std::vector<float> out;
  std::vector<int> counts;  // the voice count of every piece
  int retired = 0;
};

// Blocks of 256 frames cut at events: a note starts, one is released or finished voices
// retire between pieces of 1 to 64 frames, the count climbing to 64 and falling again.
Script playScript(InstructionSet set) {
  useInstructions(set);
  VoiceArray a;
  Script s;
  std::uint32_t random = 12345;
  auto next = [&random](std::uint32_t range) {
    random = random * 1664525u + 1013904223u;
    return (random >> 8) % range;
  };
  s.out.assign(256 * 60, 0.0f);
  for (int block = 0; block < 60; ++block) {
    float* out = s.out.data() + block * 256;
    for (int done = 0; done < 256;) {
      const int n = std::min(static_cast<int>(1 + next(64)), 256 - done);
      a.render(out + done, n);
      s.counts.push_back(a.count);
      done += n;
      const bool rising = block < 30;
      const std::uint32_t event = next(4);
      if ((event == 0 || (rising && event == 3)) && a.count < kMostVoices &&
          (rising || next(4) == 0))
        a.start(24 + static_cast<int>(next(90)), 0.2f + 0.01f * next(60));
      else if (event == 1 && a.count > 0 && (!rising || next(3) == 0))
        a.release(static_cast<int>(next(a.count)));
      else if (event == 2)
        s.retired += a.retireFinished();
    }
  }
  return s;
}

TEST(VoicePieces, EncodingsAgreeAsVoicesComeAndGoInsideBlocks) {
  const Script plain = playScript(InstructionSet::kSse2);
  // The script passes through the small counts each layout serves, and the most voices.
  for (int count : {1, 2, 3, 5, 8, 9, kMostVoices})
    EXPECT_NE(std::find(plain.counts.begin(), plain.counts.end(), count), plain.counts.end())
        << count;
  EXPECT_GT(plain.retired, 10);
  EXPECT_GT(test::peak(plain.out, 0, plain.out.size()), 0.01f);
  for (InstructionSet set : usableSets()) {
    if (set == InstructionSet::kSse2) continue;
    const Script wide = playScript(set);
    ASSERT_EQ(wide.counts, plain.counts);
    if (set == InstructionSet::kAvx) {
      EXPECT_TRUE(sameBits(wide.out, plain.out));
    } else {
      EXPECT_TRUE(test::allFinite(wide.out));
      EXPECT_GE(snrDb(plain.out, wide.out), 100.0);
    }
  }
  useInstructions(test::defaultLimit());
}

// Four-lane members are read with aligned loads: voices and engines on the heap must keep
// their alignment on every target (32-bit Windows' malloc gives only 8 on its own).
TEST(VoiceMemory, HeapVoicesAndEnginesKeepTheirFourLaneAlignment) {
  std::vector<std::vector<Voice>> arrays;
  std::vector<std::unique_ptr<SynthEngine>> engines;
  for (int n = 1; n <= 40; ++n) {
    arrays.emplace_back(static_cast<std::size_t>(n));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(arrays.back().data()) % alignof(Voice), 0u) << n;
    if (n % 8 == 0) {
      engines.push_back(std::make_unique<SynthEngine>());
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(engines.back().get()) % alignof(SynthEngine), 0u);
    }
  }
}

}  // namespace
}  // namespace gw
