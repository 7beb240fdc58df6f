// The factory presets as data: each block names a preset and the values it gives by
// parameter name; every other row keeps the parameter table's default. The whole bank is
// evaluated by the compiler, so a misspelt name or a value out of range stops the build.
// The designed presets (from "Wobbly Start" on) set "Volume" so that the demo phrase plays
// each at -19.5 LUFS with its true peak under -4 dBTP, and no single note at full velocity
// goes over -0.9 dBFS ("KV Wormhole", whose resonant single notes set its limit, at -21);
// tests/engine/factory_level_test.cpp measures it. A new preset is levelled the same way.
#include "params/factory_bank.h"

#include <initializer_list>

namespace gw {

void detail::unknownParameterName() {}

namespace {

// A harmonic-envelope release time of 5 s holds the level ("Inf").
constexpr float kInf = 5.0f;

// Harmonic n's envelope choice.
constexpr float kNone = 0.0f;

// LFO multipliers.
constexpr float kTimes10 = 1.0f;
constexpr float kTimes100 = 2.0f;

class Preset {
 public:
  constexpr explicit Preset(const char* name) : preset_{name, {}} {
    for (int i = 0; i < param::kCount; ++i) preset_.values[i] = kParameterTable[i].defaultValue;
  }
  constexpr float& operator[](std::string_view name) {
    return preset_.values[parameterIndex(name)];
  }
  // A row by index: the reserved rows, which nothing reads, and rows that helpers compute.
  constexpr float& row(int index) { return preset_.values[index]; }
  // "Level 1", "Level 2", ... in order; harmonics not listed keep their defaults.
  constexpr void levels(std::initializer_list<float> values) {
    int harmonic = 1;
    for (float v : values) preset_.values[param::level(harmonic++)] = v;
  }
  // "Env Select 1", "Env Select 2", ... in order.
  constexpr void envSelects(std::initializer_list<float> values) {
    int harmonic = 1;
    for (float v : values) preset_.values[param::envSelect(harmonic++)] = v;
  }
  constexpr operator FactoryPreset() const { return preset_; }

 private:
  FactoryPreset preset_;
};

// Harmonic envelope e of a struck sound: full at once, falling to `rest` over `fall` seconds
// and staying there, through the release as well when its second release stage holds.
constexpr void strike(Preset& p, int e, float fall, float rest) {
  p.row(param::envLevelA1(e)) = 1;
  p.row(param::envTimeA2(e)) = fall;
  p.row(param::envLevelA2(e)) = rest;
  p.row(param::envSustain(e)) = rest;
  p.row(param::envLevelR1(e)) = rest;
}

// LFO k as a ring modulator at `ratio` times the note's frequency: an audio-rate sine that
// follows the keyboard octave for octave, so the sidebands keep their place on every key.
constexpr void ringModulator(Preset& p, int k, float ratio) {
  constexpr float kMiddleCHz = 261.6256f;  // the note at which keyboard tracking is neutral
  p.row(param::lfoSpeed(k)) = ratio * kMiddleCHz / 100.0f;
  p.row(param::lfoMultiplier(k)) = kTimes100;
  p.row(param::lfoKbTrack(k)) = 1;
  p.row(param::lfoAmount(k)) = 1;
  p.row(param::lfoOffset(k)) = 0;
}

// All three harmonic envelopes hold their level through the release.
constexpr void holdAllReleases(Preset& p) {
  for (int e = 1; e <= 3; ++e) p.row(param::envTimeR2(e)) = kInf;
}

// clang-format off

// One pure sine: the table's defaults, with the harmonic envelopes holding on release.
constexpr FactoryPreset defaults() {
  Preset p("Defaults");
  p["Env 1 Time R2"] = kInf;
  p["Env 2 Time R2"] = kInf;
  p["Env 3 Time R2"] = kInf;
  return p;
}

// A triangle-like pad through a gentle low-pass and a chorus with deep negative feedback.
constexpr FactoryPreset simplePad() {
  Preset p("Simple Pad");
  p.levels({1, 0, -0.111f, 0, 0.04f, 0, -0.02f, 0, 0.012f, 0, -0.008f, 0, 0.006f, 0, -0.004f, 0});
  p["Attack"] = 1.125f;
  p["Decay"] = 1.075f;
  p["Release"] = 1.8f;
  p["Env 1 Time R2"] = kInf;
  p["Env 2 Time R2"] = kInf;
  p["Env 3 Time R2"] = kInf;
  p["Filter Cutoff"] = 2039.048f;
  p["Filter Q"] = 0.154f;
  p["Filter Type"] = 0.88f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 35;
  p["Modulation Delay"] = 215;
  p["Modulation Sweep"] = 2.75f;
  p["Modulation Rate"] = 0.522f;
  p["Modulation Feedback"] = -92;
  return p;
}

// The upper harmonics tremble at the start of the note and settle on a steady tone.
constexpr FactoryPreset wobblyStart() {
  Preset p("Wobbly Start");
  p.levels({0.55f, 0.3f, 0.22f, 0.14f, 0.1f, 0.06f});
  p.envSelects({kNone, 1, 1, 1, 1, 1});
  p["Volume"] = 0.585f;
  p["Attack"] = 0.02f;
  p["Decay"] = 1.2f;
  p["Sustain"] = 0.8f;
  p["Release"] = 0.6f;
  p["Env 1 Time A1"] = 0.01f;
  p["Env 1 Level A1"] = 1;
  p["Env 1 Time A2"] = 0.7f;
  p["Env 1 Level A2"] = 0.5f;
  p["Env 1 Time A3"] = 1.0f;
  p["Env 1 Sustain"] = 0.35f;
  p["Env 1 Time R1"] = 0.3f;
  p["Env 1 Level R1"] = 0.3f;
  p["Env 1 Time R2"] = kInf;
  p["LFO 1 Speed"] = 6.5f;
  p["LFO 1 Amount"] = 0.9f;
  p["LFO 1 Offset"] = 0.2f;
  p["PW LFO Speed"] = 6.5f;
  p["PW LFO Amount"] = 0.04f;
  return p;
}

// Drawbars an octave apart: 1, 2, 4, 8 and 16 times the note.
constexpr FactoryPreset octaves() {
  Preset p("Octaves");
  p.levels({0.45f, 0.3f, 0, 0.2f, 0, 0, 0, 0.12f, 0, 0, 0, 0, 0, 0, 0, 0.06f});
  p["Volume"] = 0.618f;
  p["Attack"] = 0.008f;
  p["Decay"] = 0.4f;
  p["Sustain"] = 0.85f;
  p["Release"] = 0.35f;
  p["Attack Shape"] = 1;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 30;
  p["Modulation Delay"] = 12;
  p["Modulation Sweep"] = 2;
  p["Modulation Rate"] = 0.45f;
  return p;
}

// Two ring modulators at fixed ratios to the note (1.25 and 2.65), each on its own
// harmonics and its own decay, over a plain fundamental.
constexpr FactoryPreset doubleRing() {
  Preset p("Double Ring");
  p.levels({0.3f, 0.35f, 0.25f, 0, 0.15f, 0.12f});
  p.envSelects({kNone, 1, 1, kNone, 2, 2});
  p["Volume"] = 0.663f;
  p["Attack"] = 0.003f;
  p["Decay"] = 2.5f;
  p["Sustain"] = 0.35f;
  p["Release"] = 1.2f;
  p["Env 1 Level A1"] = 1;
  p["Env 1 Time A2"] = 1.5f;
  p["Env 1 Level A2"] = 0.6f;
  p["Env 1 Time A3"] = 2;
  p["Env 1 Sustain"] = 0.45f;
  p["Env 1 Time R1"] = 0.6f;
  p["Env 1 Level R1"] = 0.3f;
  p["Env 1 Time R2"] = kInf;
  p["Env 2 Level A1"] = 1;
  p["Env 2 Time A2"] = 0.8f;
  p["Env 2 Level A2"] = 0.3f;
  p["Env 2 Time A3"] = 1.5f;
  p["Env 2 Sustain"] = 0.15f;
  p["Env 2 Time R1"] = 0.8f;
  p["Env 2 Level R1"] = 0.1f;
  p["Env 2 Time R2"] = kInf;
  ringModulator(p, 1, 1.25f);
  ringModulator(p, 2, 2.65f);
  return p;
}

// A nasal resonance that squawks open on every note and closes again.
constexpr FactoryPreset squoawy() {
  Preset p("Squoawy");
  p.levels({0.5f, -0.25f, 0.17f, -0.12f, 0.1f, -0.08f, 0.07f, -0.06f, 0.05f, -0.045f});
  p["Volume"] = 0.581f;
  p["Attack"] = 0.01f;
  p["Decay"] = 0.5f;
  p["Sustain"] = 0.75f;
  p["Release"] = 0.25f;
  p["Pulse Width"] = 0.4f;
  p["Filter Cutoff"] = 500;
  p["Filter Q"] = 0.75f;
  p["Filter Type"] = 1.6f;
  p["Filter Env Attack"] = 0.06f;
  p["Filter Env Decay"] = 0.45f;
  p["Filter Env Sustain"] = 0.25f;
  p["Filter Env Release"] = 0.3f;
  p["Filter Env Amount"] = 2.5f;
  p["Filter KB Track"] = 0.8f;
  p["Velocity Filter Env Amount"] = 0.6f;
  return p;
}

// The pulse width starts almost closed, bright and buzzing, and dives back to a round tone.
constexpr FactoryPreset pwDive() {
  Preset p("PW Dive");
  p.levels({0.6f, 0.2f, 0.1f});
  p["Volume"] = 0.609f;
  p["Attack"] = 0.004f;
  p["Decay"] = 1.6f;
  p["Sustain"] = 0.6f;
  p["Release"] = 0.4f;
  p["PW Env Attack"] = 0;
  p["PW Env Decay"] = 1.2f;
  p["PW Env Sustain"] = 0;
  p["PW Env Release"] = 0.3f;
  p["PW Env Amount"] = -0.46f;
  p["Velocity PW Env Amount"] = 0.5f;
  return p;
}

// High harmonics glint in and out on three LFOs at unrelated rates, under a wide chorus.
constexpr FactoryPreset shimmery() {
  Preset p("Shimmery");
  p.levels({0.4f, 0.15f, 0, 0, 0, 0, 0, 0.09f, 0.08f, 0.07f, 0.07f, 0.06f, 0.06f, 0.05f, 0.05f, 0.04f});
  p.envSelects({kNone, kNone, 0, 0, 0, 0, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3});
  p["Volume"] = 0.744f;
  p["Attack"] = 0.3f;
  p["Decay"] = 1;
  p["Sustain"] = 0.8f;
  p["Release"] = 1.5f;
  holdAllReleases(p);
  p["LFO 1 Speed"] = 3.1f;
  p["LFO 1 Amount"] = 1;
  p["LFO 1 Offset"] = 0.2f;
  p["LFO 2 Speed"] = 4.7f;
  p["LFO 2 Amount"] = 1;
  p["LFO 2 Offset"] = 0.2f;
  p["LFO 3 Speed"] = 6.3f;
  p["LFO 3 Amount"] = 1;
  p["LFO 3 Offset"] = 0.2f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 45;
  p["Modulation Delay"] = 18;
  p["Modulation Sweep"] = 4;
  p["Modulation Rate"] = 0.3f;
  p["Modulation Feedback"] = 35;
  p["Modulation Voices"] = 4;
  return p;
}

// Full while held; at the key's release the even harmonics leave and the odd ones ring on,
// so the tail turns hollow and square.
constexpr FactoryPreset hollowRelease() {
  Preset p("Hollow Release");
  p.levels({0.45f, 0.25f, 0.15f, 0.18f, 0.09f, 0.12f, 0.064f, 0.08f, 0.05f, 0.06f});
  p.envSelects({2, 1, 2, 1, 2, 1, 2, 1, 2, 1});
  p["Volume"] = 0.551f;
  p["Attack"] = 0.01f;
  p["Decay"] = 0.6f;
  p["Sustain"] = 0.8f;
  p["Release"] = 2.2f;
  p["Env 1 Time R1"] = 0.12f;
  p["Env 1 Level R1"] = 0;
  p["Env 2 Time R1"] = 0.3f;
  p["Env 2 Level R1"] = 0.9f;
  p["Env 2 Time R2"] = kInf;
  return p;
}

// A slow LFO throws the pulse width from one extreme to the other.
constexpr FactoryPreset extremePw() {
  Preset p("Extreme PW");
  p.levels({0.55f, 0.2f, 0.12f});
  p["Volume"] = 0.604f;
  p["Attack"] = 0.01f;
  p["Decay"] = 0.8f;
  p["Sustain"] = 0.8f;
  p["Release"] = 0.5f;
  p["PW LFO Speed"] = 0.45f;
  p["PW LFO Amount"] = 0.47f;
  p["Velocity PW Amount"] = -0.1f;
  p["Filter Cutoff"] = 4500;
  p["Filter Q"] = 0.2f;
  p["Filter Type"] = 1;
  p["Filter KB Track"] = 0.5f;
  return p;
}

// A saw through a low-pass that the key velocity opens: soft notes dark, hard ones bright.
constexpr FactoryPreset velocityFilter() {
  Preset p("Velocity Filter");
  p.levels({0.5f, 0.25f, 0.167f, 0.125f, 0.1f, 0.083f, 0.071f, 0.063f, 0.056f, 0.05f, 0.045f, 0.042f});
  p["Volume"] = 0.538f;
  p["Attack"] = 0.005f;
  p["Decay"] = 0.9f;
  p["Sustain"] = 0.7f;
  p["Release"] = 0.35f;
  p["Filter Cutoff"] = 120;
  p["Filter Q"] = 0.35f;
  p["Filter Type"] = 1;
  p["Filter KB Track"] = 0.3f;
  p["Velocity Filter Amount"] = 5;
  return p;
}

// A struck metal plate: a ring modulator off any harmonic ratio and fast-dying overtones.
constexpr FactoryPreset clang() {
  Preset p("Clang");
  p.levels({0.35f, 0, 0.2f, 0, 0, 0, 0.15f, 0, 0.12f, 0, 0.1f, 0, 0.08f});
  p.envSelects({kNone, 0, 1, 0, 0, 0, 1, 0, 2, 0, 2, 0, 2});
  p["Volume"] = 0.702f;
  p["Attack"] = 0;
  p["Decay"] = 2.2f;
  p["Sustain"] = 0;
  p["Release"] = 0.9f;
  p["Decay Shape"] = 0.2f;
  p["Env 1 Level A1"] = 1;
  p["Env 1 Time A2"] = 1.2f;
  p["Env 1 Level A2"] = 0.2f;
  p["Env 1 Time A3"] = 1;
  p["Env 1 Sustain"] = 0;
  p["Env 1 Time R2"] = kInf;
  p["Env 2 Level A1"] = 1;
  p["Env 2 Time A2"] = 0.25f;
  p["Env 2 Level A2"] = 0.1f;
  p["Env 2 Time A3"] = 0.5f;
  p["Env 2 Sustain"] = 0;
  p["Env 2 Time R2"] = 0.2f;
  ringModulator(p, 1, 2.27f);
  ringModulator(p, 2, 3.71f);
  return p;
}

// A slow pad whose pulse width drifts, through a gentle low-pass and chorus.
constexpr FactoryPreset pwPad() {
  Preset p("PW Pad");
  p.levels({0.5f, 0.12f, 0.1f, 0.05f, 0.04f});
  p["Volume"] = 0.815f;
  p["Attack"] = 0.9f;
  p["Decay"] = 1.2f;
  p["Sustain"] = 0.85f;
  p["Release"] = 1.6f;
  holdAllReleases(p);
  p["Pulse Width"] = 0.45f;
  p["PW LFO Speed"] = 0.3f;
  p["PW LFO Amount"] = 0.3f;
  p["Filter Cutoff"] = 3200;
  p["Filter Q"] = 0.2f;
  p["Filter Type"] = 0.9f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 40;
  p["Modulation Delay"] = 14;
  p["Modulation Sweep"] = 3;
  p["Modulation Rate"] = 0.35f;
  p["Modulation Voices"] = 3;
  return p;
}

// A round plucked bass: a low-pass that follows the key and snaps shut after the attack.
constexpr FactoryPreset bassyBass() {
  Preset p("Bassy Bass");
  p.levels({0.6f, 0.3f, 0.2f, 0.1f, 0.06f});
  p["Volume"] = 0.499f;
  p["Attack"] = 0.003f;
  p["Decay"] = 0.7f;
  p["Sustain"] = 0.65f;
  p["Release"] = 0.15f;
  p["Attack Shape"] = 1;
  p["Filter Cutoff"] = 260;
  p["Filter Q"] = 0.4f;
  p["Filter Type"] = 1;
  p["Filter Env Attack"] = 0;
  p["Filter Env Decay"] = 0.25f;
  p["Filter Env Sustain"] = 0.1f;
  p["Filter Env Release"] = 0.1f;
  p["Filter Env Amount"] = 2;
  p["Filter KB Track"] = 1;
  p["Velocity Filter Env Amount"] = 0.5f;
  return p;
}

// Dissonant overtones (7, 11, 13) fade away and creep back, under a dark flanger.
constexpr FactoryPreset sinisterReturner() {
  Preset p("Sinister Returner");
  p.levels({0.5f, 0, 0.15f, 0, 0, 0.12f, 0.14f, 0, 0, 0, 0.1f, 0, 0.08f});
  p.envSelects({kNone, 0, 1, 0, 0, 1, 1, 0, 0, 0, 1, 0, 1});
  p["Volume"] = 0.626f;
  p["Attack"] = 0.05f;
  p["Decay"] = 2;
  p["Sustain"] = 0.8f;
  p["Release"] = 1.5f;
  p["Env 1 Time A1"] = 0.05f;
  p["Env 1 Level A1"] = 1;
  p["Env 1 Time A2"] = 1.4f;
  p["Env 1 Level A2"] = 0;
  p["Env 1 Time A3"] = 2.5f;
  p["Env 1 Shape A3"] = 0.3f;
  p["Env 1 Sustain"] = 0.9f;
  p["Env 1 Time R1"] = 1;
  p["Env 1 Level R1"] = 0.5f;
  p["Env 1 Time R2"] = kInf;
  p["LFO 1 Speed"] = 0.25f;
  p["LFO 1 Amount"] = 0.3f;
  p["LFO 1 Offset"] = 0.7f;
  p["Pulse Width"] = 0.47f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 40;
  p["Modulation Delay"] = 4;
  p["Modulation Sweep"] = 3;
  p["Modulation Rate"] = 0.12f;
  p["Modulation Feedback"] = -70;
  return p;
}

// Tubular chimes: a ring modulator at 2.76 times the note for the clang, higher
// harmonics dying faster than lower ones, and a long ring after the key is let go.
constexpr FactoryPreset kvChimes1() {
  Preset p("KV Chimes 1");
  p.levels({0.3f, 0.12f, 0.2f, 0, 0.1f, 0, 0.12f, 0, 0.06f});
  p.envSelects({1, 1, 3, 0, 2, 0, 2, 0, 3});
  p["Volume"] = 0.668f;
  p["Attack"] = 0;
  p["Decay"] = 4;
  p["Sustain"] = 0;
  p["Release"] = 3;
  p["Decay Shape"] = 0.3f;
  holdAllReleases(p);
  strike(p, 1, 3, 0.7f);
  strike(p, 2, 1.5f, 0.2f);
  strike(p, 3, 0.6f, 0);
  ringModulator(p, 3, 2.76f);
  return p;
}

// Bright, glassy strings: a full saw spectrum whose top sparkles, with a four-voice chorus.
constexpr FactoryPreset kvCrystalStrings() {
  Preset p("KV CrystalStrings");
  p.levels({0.45f, -0.22f, 0.15f, -0.11f, 0.09f, -0.075f, 0.065f, -0.057f, 0.075f, -0.068f, 0.06f,
            -0.057f, 0.052f, -0.048f, 0.045f, -0.042f});
  p.envSelects({kNone, 0, 0, 0, 0, 0, 0, 0, 3, 3, 3, 3, 3, 3, 3, 3});
  p["Volume"] = 0.844f;
  p["Attack"] = 0.45f;
  p["Decay"] = 1;
  p["Sustain"] = 0.9f;
  p["Release"] = 1.2f;
  holdAllReleases(p);
  p["LFO 3 Speed"] = 5.5f;
  p["LFO 3 Amount"] = 0.5f;
  p["LFO 3 Offset"] = 0.8f;
  p["LFO 3 KB Track"] = 0.3f;
  p["Filter Cutoff"] = 1500;
  p["Filter Q"] = 0.1f;
  p["Filter Type"] = 3.3f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 50;
  p["Modulation Delay"] = 16;
  p["Modulation Sweep"] = 5;
  p["Modulation Rate"] = 0.6f;
  p["Modulation Spread"] = 0.7f;
  p["Modulation Voices"] = 4;
  return p;
}

// A bronze metallophone: inharmonic partials from a ring modulator at 2.4 times the note,
// a struck decay, and the slow beating of a paired instrument.
constexpr FactoryPreset kvGamelan1() {
  Preset p("KV Gamelan1");
  p.levels({0.4f, 0, 0.15f, 0.12f, 0, 0.08f});
  p.envSelects({kNone, 0, 1, 1, 0, 2});
  p["Volume"] = 0.694f;
  p["Attack"] = 0;
  p["Decay"] = 3;
  p["Sustain"] = 0;
  p["Release"] = 2.5f;
  p["Decay Shape"] = 0.4f;
  holdAllReleases(p);
  strike(p, 1, 1.8f, 0.4f);
  strike(p, 2, 0.4f, 0);
  ringModulator(p, 1, 2.4f);
  ringModulator(p, 2, 5.4f);
  p["LFO 4 Speed"] = 4;
  p["LFO 4 Amount"] = 0.25f;
  p["LFO 4 Offset"] = 0.75f;
  return p;
}

// A deeper gong-like bar: partials at 3.7 times the note, a long decay and slower beating.
constexpr FactoryPreset kvGamelan2() {
  Preset p("KV Gamelan2");
  p.levels({0.45f, 0.12f, 0, 0.15f, 0, 0, 0.08f});
  p.envSelects({kNone, 1, 0, 2, 0, 0, 2});
  p["Volume"] = 0.645f;
  p["Attack"] = 0.002f;
  p["Decay"] = 4.5f;
  p["Sustain"] = 0.05f;
  p["Release"] = 3.5f;
  p["Decay Shape"] = 0.5f;
  strike(p, 1, 2.5f, 0.5f);
  p["Env 1 Time R2"] = kInf;
  strike(p, 2, 0.9f, 0.1f);
  p["Env 2 Time R2"] = kInf;
  ringModulator(p, 2, 3.7f);
  p["LFO 4 Speed"] = 2.5f;
  p["LFO 4 Amount"] = 0.3f;
  p["LFO 4 Offset"] = 0.7f;
  p["Filter Cutoff"] = 2500;
  p["Filter Q"] = 0.15f;
  p["Filter Type"] = 0.7f;
  p["Filter KB Track"] = 0.5f;
  return p;
}

// Rows of an earlier layout that presets 19 to 26 still carry; nothing reads them.
constexpr void keepEarlyEnvelopeRows(Preset& p, float pwSustain, float filterSustain) {
  p.row(133) = 1;
  p.row(135) = pwSustain;
  p.row(136) = 0.5f;
  p.row(148) = 1;
  p.row(150) = filterSustain;
  p.row(151) = 0.5f;
}

// An electric piano: a tine's bright knock that dies fast over a mellow, decaying body.
constexpr FactoryPreset kvKeyboard1() {
  Preset p("KV Keyboard1");
  p.levels({0.55f, 0.2f, 0.06f, 0, 0, 0, 0.1f, 0.08f});
  p.envSelects({kNone, 1, 1, 0, 0, 0, 2, 2});
  p["Volume"] = 0.571f;
  p["Attack"] = 0.002f;
  p["Decay"] = 3.5f;
  p["Sustain"] = 0.15f;
  p["Release"] = 0.35f;
  p["Decay Shape"] = 0.2f;
  strike(p, 1, 1.2f, 0.4f);
  p["Env 1 Time R2"] = kInf;
  strike(p, 2, 0.12f, 0);
  p["Velocity Env Amount"] = 0.7f;
  p["Filter Cutoff"] = 1200;
  p["Filter Q"] = 0.1f;
  p["Filter Type"] = 1;
  p["Filter KB Track"] = 0.4f;
  p["Velocity Filter Amount"] = 1.5f;
  keepEarlyEnvelopeRows(p, 0.7f, 0.7f);
  return p;
}

// A soft ring modulator at 1.5 times the note (a fifth above), kept quiet and round.
constexpr FactoryPreset kvQuietRingMod() {
  Preset p("KV QuietRingMod");
  p.levels({0.5f, 0.35f, 0.2f, 0.1f});
  p.envSelects({1, 1, 1, kNone});
  p["Volume"] = 0.616f;
  p["Attack"] = 0.08f;
  p["Decay"] = 1.5f;
  p["Sustain"] = 0.7f;
  p["Release"] = 0.9f;
  p["Env 1 Time R2"] = kInf;
  ringModulator(p, 1, 1.5f);
  p["LFO 1 Amount"] = 0.8f;
  p["LFO 1 Offset"] = 0.2f;
  p["Filter Cutoff"] = 1800;
  p["Filter Q"] = 0.1f;
  p["Filter Type"] = 1;
  p["Filter KB Track"] = 0.8f;
  keepEarlyEnvelopeRows(p, 0.6f, 0.8f);
  return p;
}

// Harmonics chopped at syllable rates by three LFOs, a resonant band that wanders in type,
// and a long feedback echo: distant radio voices.
constexpr FactoryPreset kvSpaceChatter() {
  Preset p("KV SpaceChatter");
  p.levels({0.3f, 0.25f, 0.22f, 0.2f, 0.18f, 0.15f, 0.12f, 0.1f});
  p.envSelects({kNone, 1, 2, 3, 1, 2, 3, 1});
  p["Volume"] = 0.634f;
  p["Attack"] = 0.02f;
  p["Decay"] = 0.5f;
  p["Sustain"] = 0.8f;
  p["Release"] = 0.8f;
  holdAllReleases(p);
  p["LFO 1 Speed"] = 7.3f;
  p["LFO 1 Amount"] = 1;
  p["LFO 1 Offset"] = 0;
  p["LFO 2 Speed"] = 11.1f;
  p["LFO 2 Amount"] = 1;
  p["LFO 2 Offset"] = 0;
  p["LFO 3 Speed"] = 13.7f;
  p["LFO 3 Amount"] = 1;
  p["LFO 3 Offset"] = 0;
  p["Filter Cutoff"] = 1200;
  p["Filter Q"] = 0.6f;
  p["Filter Type"] = 2.14f;
  p["Filter LFO Speed"] = 3.3f;
  p["Filter LFO Amount"] = 1.2f;
  p["Filter LFO Type Amount"] = 0.8f;
  p["Filter KB Track"] = 0.2f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 40;
  p["Modulation Delay"] = 320;
  p["Modulation Sweep"] = 12;
  p["Modulation Rate"] = 0.2f;
  p["Modulation Feedback"] = 55;
  keepEarlyEnvelopeRows(p, 0.5f, 0.6f);
  return p;
}

// An organ with a slowly turning, wide chorus: drawbars at 1, 2, 3, 4, 6 and 8.
constexpr FactoryPreset kvSpaceOrgan() {
  Preset p("KV SpaceOrgan");
  p.levels({0.35f, 0.3f, 0.15f, 0.12f, 0, 0.08f, 0, 0.06f});
  p["Volume"] = 0.699f;
  p["Attack"] = 0.01f;
  p["Decay"] = 0.1f;
  p["Sustain"] = 1;
  p["Release"] = 0.45f;
  p["Attack Shape"] = 1;
  holdAllReleases(p);
  p["LFO 4 Speed"] = 5.8f;
  p["LFO 4 Amount"] = 0.08f;
  p["LFO 4 Offset"] = 0.92f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 50;
  p["Modulation Delay"] = 8;
  p["Modulation Sweep"] = 3;
  p["Modulation Rate"] = 0.8f;
  p["Modulation Spread"] = 0.5f;
  p["Modulation Voices"] = 4;
  keepEarlyEnvelopeRows(p, 0.7f, 0.7f);
  return p;
}

// A reedier organ (1, 3, 5, 8, 10, 12) whose upper drawbars swell in after the attack,
// through a slow, square-ish chorus.
constexpr FactoryPreset kvSpaceOrgan2() {
  Preset p("KV SpaceOrgan2");
  p.levels({0.35f, 0, 0.22f, 0, 0.15f, 0, 0, 0.1f, 0, 0.08f, 0, 0.06f});
  p.envSelects({kNone, 0, kNone, 0, 1, 0, 0, 2, 0, 2, 0, 2});
  p["Volume"] = 0.678f;
  p["Attack"] = 0.02f;
  p["Decay"] = 0.1f;
  p["Sustain"] = 1;
  p["Release"] = 0.6f;
  p["Env 1 Time A1"] = 0.3f;
  p["Env 1 Level A1"] = 1;
  p["Env 1 Time R2"] = kInf;
  p["Env 2 Time A1"] = 1.2f;
  p["Env 2 Level A1"] = 1;
  p["Env 2 Time R2"] = kInf;
  p["Filter Cutoff"] = 3000;
  p["Filter Q"] = 0.25f;
  p["Filter Type"] = 0.6f;
  p["Filter LFO Speed"] = 0.3f;
  p["Filter LFO Type Amount"] = 0.3f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 45;
  p["Modulation Delay"] = 10;
  p["Modulation Sweep"] = 4;
  p["Modulation Rate"] = 0.5f;
  p["Modulation Shape"] = 0.5f;
  p["Modulation Voices"] = 3;
  keepEarlyEnvelopeRows(p, 0.6f, 0.5f);
  return p;
}

// A string section: a saw through a soft low-pass, bowed in and out, four chorus voices.
constexpr FactoryPreset kvStrings1() {
  Preset p("KV Strings1");
  p.levels({0.4f, -0.2f, 0.133f, -0.1f, 0.08f, -0.067f, 0.057f, -0.05f, 0.044f, -0.04f, 0.036f,
            -0.033f});
  p["Volume"] = 0.735f;
  p["Attack"] = 0.35f;
  p["Decay"] = 1;
  p["Sustain"] = 0.9f;
  p["Release"] = 0.8f;
  holdAllReleases(p);
  p["PW LFO Speed"] = 5.5f;
  p["PW LFO Amount"] = 0.03f;
  p["Filter Cutoff"] = 3500;
  p["Filter Q"] = 0.15f;
  p["Filter Type"] = 0.92f;
  p["Filter KB Track"] = 0.4f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 50;
  p["Modulation Delay"] = 20;
  p["Modulation Sweep"] = 6;
  p["Modulation Rate"] = 0.6f;
  p["Modulation Voices"] = 4;
  keepEarlyEnvelopeRows(p, 0.7f, 0.7f);
  return p;
}

// Darker, slower strings: the low-pass opens over a second and a half as the bow digs in.
constexpr FactoryPreset kvStrings2() {
  Preset p("KV Strings2");
  p.levels({0.4f, -0.2f, 0.133f, -0.1f, 0.08f, -0.067f, 0.057f, -0.05f, 0.044f, -0.04f});
  p.envSelects({kNone, kNone, kNone, kNone, 1, 1, 1, 1, 1, 1});
  p["Volume"] = 0.891f;
  p["Attack"] = 0.9f;
  p["Decay"] = 1.5f;
  p["Sustain"] = 0.85f;
  p["Release"] = 1.5f;
  p["Env 1 Time A1"] = 1.5f;
  p["Env 1 Level A1"] = 1;
  p["Env 1 Time R2"] = kInf;
  p["Filter Cutoff"] = 700;
  p["Filter Q"] = 0.2f;
  p["Filter Type"] = 1.2f;
  p["Filter Env Attack"] = 1.5f;
  p["Filter Env Decay"] = 2;
  p["Filter Env Sustain"] = 0.7f;
  p["Filter Env Release"] = 1.5f;
  p["Filter Env Amount"] = 1.5f;
  p["Filter KB Track"] = 0.5f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 45;
  p["Modulation Delay"] = 25;
  p["Modulation Sweep"] = 5;
  p["Modulation Rate"] = 0.4f;
  p["Modulation Voices"] = 4;
  keepEarlyEnvelopeRows(p, 0.5f, 0.6f);
  return p;
}

// A resonant band swept slowly through the harmonics while it turns from low to high,
// through a deep flanger: a long swirl down a tunnel.
constexpr FactoryPreset kvWormhole() {
  Preset p("KV Wormhole");
  p.levels({0.2f, 0.1f, 0.09f, 0.08f, 0.07f, 0.065f, 0.06f, 0.055f, 0.05f, 0.045f, 0.04f, 0.035f,
            0.03f, 0.03f, 0.025f, 0.025f});
  p["Volume"] = 0.723f;
  p["Attack"] = 1.5f;
  p["Decay"] = 2;
  p["Sustain"] = 0.9f;
  p["Release"] = 2.5f;
  holdAllReleases(p);
  p["PW LFO Speed"] = 0.2f;
  p["PW LFO Amount"] = 0.15f;
  p["Filter Cutoff"] = 900;
  p["Filter Q"] = 0.7f;
  p["Filter Type"] = 1.5f;
  p["Filter LFO Speed"] = 0.12f;
  p["Filter LFO Amount"] = 2;
  p["Filter LFO Type Amount"] = 0.9f;
  p["Filter KB Track"] = 0.6f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 50;
  p["Modulation Delay"] = 3;
  p["Modulation Sweep"] = 6;
  p["Modulation Rate"] = 0.09f;
  p["Modulation Feedback"] = -85;
  p["Modulation Voices"] = 2;
  keepEarlyEnvelopeRows(p, 0.8f, 0.4f);
  return p;
}

// A rubbery bass an octave below the key: a resonant low-pass that yowls open on the
// attack and snaps shut, while the upper harmonics fade to a third.
constexpr FactoryPreset kvBass1() {
  Preset p("KV Bass1");
  p.levels({0.6f, -0.35f, 0.25f, -0.15f, 0.1f});
  p.envSelects({kNone, kNone, 1, 1, 1});
  p["Volume"] = 0.534f;
  p["Attack"] = 0.002f;
  p["Decay"] = 0.5f;
  p["Sustain"] = 0.7f;
  p["Release"] = 0.12f;
  p["Attack Shape"] = 1;
  strike(p, 1, 0.3f, 0.3f);
  p["Env 1 Time R2"] = kInf;
  p["Filter Cutoff"] = 220;
  p["Filter Q"] = 0.6f;
  p["Filter Type"] = 1.25f;
  p["Filter Env Attack"] = 0;
  p["Filter Env Decay"] = 0.35f;
  p["Filter Env Sustain"] = 0;
  p["Filter Env Release"] = 0.1f;
  p["Filter Env Amount"] = 3.2f;
  p["Filter KB Track"] = 0.7f;
  p["Coarse Tune"] = -12;
  return p;
}

// A hollow, square bass whose pulse width kicks at the start of each note.
constexpr FactoryPreset kvBass2() {
  Preset p("KV Bass2");
  p.levels({0.6f, 0, 0.2f, 0, 0.12f, 0, 0.085f});
  p["Volume"] = 0.601f;
  p["Attack"] = 0.003f;
  p["Decay"] = 0.8f;
  p["Sustain"] = 0.6f;
  p["Release"] = 0.15f;
  p["PW Env Attack"] = 0;
  p["PW Env Decay"] = 0.18f;
  p["PW Env Sustain"] = 0;
  p["PW Env Release"] = 0.1f;
  p["PW Env Amount"] = -0.3f;
  p["Filter Cutoff"] = 500;
  p["Filter Q"] = 0.55f;
  p["Filter Type"] = 1.3f;
  p["Filter Env Decay"] = 0.3f;
  p["Filter Env Sustain"] = 0.2f;
  p["Filter Env Release"] = 0.1f;
  p["Filter Env Amount"] = 1.5f;
  p["Filter KB Track"] = 0.8f;
  return p;
}

// Rows of an earlier layout of the envelope selections that presets 29 to 31 still
// carry; nothing reads them.
constexpr void keepEarlySelectionRows(Preset& p, float a, float b) {
  for (int index : {99, 101, 105, 108, 111}) p.row(index) = a;
  for (int index : {100, 103, 107, 110, 112}) p.row(index) = b;
}

// A laser warble: a fast pulse-width LFO, a resonant band chirping on a fast filter LFO
// and a fixed-pitch ring modulator that does not follow the key.
constexpr FactoryPreset kvSciFi1() {
  Preset p("KV SciFi1");
  p.levels({0.35f, 0.2f, 0.15f, 0.1f});
  p.envSelects({kNone, 2, 2, kNone});
  p["Volume"] = 0.637f;
  p["Attack"] = 0.01f;
  p["Decay"] = 1;
  p["Sustain"] = 0.8f;
  p["Release"] = 0.7f;
  p["Env 2 Time R2"] = kInf;
  p["LFO 2 Speed"] = 87;
  p["LFO 2 Multiplier"] = kTimes10;
  p["LFO 2 Amount"] = 1;
  p["LFO 2 Offset"] = 0;
  p["PW LFO Speed"] = 13;
  p["PW LFO Amount"] = 0.35f;
  p["Filter Cutoff"] = 1500;
  p["Filter Q"] = 0.8f;
  p["Filter Type"] = 1.7f;
  p["Filter LFO Speed"] = 7;
  p["Filter LFO Amount"] = 1.8f;
  p["Filter Env Decay"] = 1.2f;
  p["Filter Env Sustain"] = 0.3f;
  p["Filter Env Amount"] = -2;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 30;
  p["Modulation Delay"] = 180;
  p["Modulation Sweep"] = 2;
  p["Modulation Feedback"] = 40;
  keepEarlySelectionRows(p, 1, 2);
  return p;
}

// Faint twinkling: a soft fundamental and high harmonics flickering on fast LFOs that
// speed up with the key, ringing long after the key is let go.
constexpr FactoryPreset kvStars1() {
  Preset p("KV Stars1");
  p.levels({0.3f, 0, 0, 0.06f, 0, 0, 0, 0, 0.08f, 0, 0.08f, 0, 0.07f, 0, 0.07f, 0.06f});
  p.envSelects({kNone, 0, 0, kNone, 0, 0, 0, 0, 1, 0, 2, 0, 3, 0, 1, 2});
  p["Volume"] = 0.758f;
  p["Attack"] = 0.2f;
  p["Decay"] = 2;
  p["Sustain"] = 0.6f;
  p["Release"] = 3;
  holdAllReleases(p);
  p["LFO 1 Speed"] = 9;
  p["LFO 1 Amount"] = 1;
  p["LFO 1 Offset"] = 0;
  p["LFO 1 KB Track"] = 0.5f;
  p["LFO 2 Speed"] = 12.5f;
  p["LFO 2 Amount"] = 1;
  p["LFO 2 Offset"] = 0;
  p["LFO 2 KB Track"] = 0.5f;
  p["LFO 3 Speed"] = 16;
  p["LFO 3 Amount"] = 1;
  p["LFO 3 Offset"] = 0;
  p["LFO 3 KB Track"] = 0.5f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 45;
  p["Modulation Delay"] = 120;
  p["Modulation Sweep"] = 8;
  p["Modulation Rate"] = 0.15f;
  p["Modulation Feedback"] = 50;
  p["Modulation Voices"] = 4;
  keepEarlySelectionRows(p, 2, 3);
  return p;
}

// Brighter sparks: ring-modulated upper harmonics that flare and fade on every note,
// through a high-pass leaning back toward Thru and a long echo.
constexpr FactoryPreset kvStars2() {
  Preset p("KV Stars2");
  p.levels({0.6f, 0, 0.25f, 0, 0, 0.25f, 0, 0.22f, 0, 0.2f, 0, 0.18f});
  p.envSelects({kNone, 0, 2, 0, 0, 2, 0, 3, 0, 3, 0, 3});
  p["Volume"] = 0.564f;
  p["Attack"] = 0.01f;
  p["Decay"] = 2.5f;
  p["Sustain"] = 0.4f;
  p["Release"] = 3;
  holdAllReleases(p);
  strike(p, 2, 1, 0.3f);
  strike(p, 3, 0.5f, 0.15f);
  ringModulator(p, 2, 2);
  p["LFO 3 Speed"] = 11;
  p["LFO 3 Amount"] = 0.9f;
  p["LFO 3 Offset"] = 0.1f;
  p["Filter Cutoff"] = 400;
  p["Filter Q"] = 0.3f;
  p["Filter Type"] = 3.3f;
  p["Modulation On/Off"] = 1;
  p["Modulation Wet/Dry"] = 40;
  p["Modulation Delay"] = 240;
  p["Modulation Sweep"] = 5;
  p["Modulation Rate"] = 0.1f;
  p["Modulation Feedback"] = 45;
  p["Modulation Spread"] = 1;
  p["Modulation Voices"] = 4;
  keepEarlySelectionRows(p, 3, 1);
  return p;
}

// clang-format on

// Each preset is a constant of its own, so that building one stays within every
// compiler's step limit for a single constant evaluation.
template <FactoryPreset (*kMake)()>
constexpr FactoryPreset built = kMake();

}  // namespace

constexpr std::array<FactoryPreset, kFactoryPresetCount> factoryBank = {
    built<defaults>,       built<simplePad>,        built<wobblyStart>,
    built<octaves>,        built<doubleRing>,       built<squoawy>,
    built<pwDive>,         built<shimmery>,         built<hollowRelease>,
    built<extremePw>,      built<velocityFilter>,   built<clang>,
    built<pwPad>,          built<bassyBass>,        built<sinisterReturner>,
    built<kvChimes1>,      built<kvCrystalStrings>, built<kvGamelan1>,
    built<kvGamelan2>,     built<kvKeyboard1>,      built<kvQuietRingMod>,
    built<kvSpaceChatter>, built<kvSpaceOrgan>,     built<kvSpaceOrgan2>,
    built<kvStrings1>,     built<kvStrings2>,       built<kvWormhole>,
    built<kvBass1>,        built<kvBass2>,          built<kvSciFi1>,
    built<kvStars1>,       built<kvStars2>,
};

namespace {

// What holds across the bank, checked while it is built.
constexpr bool isWhole(float v) {
  return v == static_cast<float>(static_cast<long>(v));
}

constexpr bool valuesAreInRangeAndWhereIndexedWhole() {
  for (const FactoryPreset& preset : factoryBank) {
    for (int i = 0; i < param::kCount; ++i) {
      if (param::isReserved(i) || param::isUnused(i)) continue;
      const ParameterInfo& row = kParameterTable[i];
      const float v = preset.values[i];
      if (!(v >= row.minimum && v <= row.maximum)) return false;
      if ((row.unit == ParameterUnit::Indexed || row.unit == ParameterUnit::Boolean) && !isWhole(v))
        return false;
    }
  }
  return true;
}
static_assert(valuesAreInRangeAndWhereIndexedWhole());

constexpr int presetsHolding(int atLeast) {
  int count = 0;
  for (const FactoryPreset& preset : factoryBank) {
    int holds = 0;
    for (int e = 1; e <= 3; ++e) holds += preset.values[param::envTimeR2(e)] == kInf;
    count += holds >= atLeast;
  }
  return count;
}
static_assert(presetsHolding(1) == 25 && presetsHolding(3) == 13);

constexpr bool namesFit() {
  for (const FactoryPreset& preset : factoryBank) {
    if (std::string_view(preset.name).size() > 31) return false;
  }
  return true;
}
static_assert(namesFit());

}  // namespace

}  // namespace gw
