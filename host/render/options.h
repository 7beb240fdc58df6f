// The command line of glimmerwick-render.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace gw::render {

enum class SampleFormat { Float32, Pcm16, Pcm24 };

// One --set or --set-normalised: a parameter by index or name, and its value as written.
struct ParameterSetting {
  std::string key;
  std::string value;
  bool normalised = false;
};

struct RenderOptions {
  std::string module;
  bool help = false;
  bool info = false;
  bool loudness = false;  // print integrated loudness and true peak after rendering
  std::string output = "glimmerwick.wav";
  std::string midi;     // empty: the built-in phrase
  std::string program;  // number (from 1) or name; empty: the module's current program
  std::string bank;     // .fxb file whose programs replace the module's; empty: none
  std::vector<ParameterSetting> settings;
  double sampleRate = 44100.0;
  int blockSize = 512;
  SampleFormat format = SampleFormat::Float32;
  double maxTailSeconds = 30.0;
  double gainDb = 0.0;  // applied to the module's output before it is measured and written
  bool normalize = false;
  double normalizeDb = 0.0;  // the peak (true peak) the output is scaled to, instead of gainDb
};

// Parses the arguments after the program name. False with a one-line error that names the
// option and what it takes, for unknown options, missing or malformed values and values
// out of their range.
bool parseOptions(std::span<const std::string> args, RenderOptions& options, std::string& error);

const char* usageText();

const char* formatName(SampleFormat format);

}  // namespace gw::render
