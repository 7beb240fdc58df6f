#include "host/render/options.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace gw::render {

namespace {

constexpr double kMinRate = 1000.0;
constexpr double kMaxRate = 768000.0;
constexpr int kMaxBlock = 16384;
constexpr double kMaxTail = 600.0;
// A monitoring gain: enough to tame a loud render or lift a quiet one, never to hide it.
constexpr double kMinGainDb = -60.0;
constexpr double kMaxGainDb = 20.0;

bool parseNumber(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && std::isfinite(out);
}

bool parseInt(const std::string& text, int& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return !text.empty() && ec == std::errc() && ptr == end;
}

bool parseSetting(const std::string& text, bool normalised, RenderOptions& options) {
  // Names hold no '=', but values may be written "=-3" after one.
  const auto split = text.find('=');
  if (split == std::string::npos || split == 0 || split + 1 == text.size()) return false;
  options.settings.push_back({text.substr(0, split), text.substr(split + 1), normalised});
  return true;
}

}  // namespace

const char* usageText() {
  return "Usage: glimmerwick-render [options] MODULE\n"
         "       glimmerwick-render --info MODULE\n"
         "Renders a MIDI file, or a built-in phrase, through a VST 2.4 module to a WAV file.\n"
         "\n"
         "  --info                 print what a host sees of the module and exit\n"
         "  -o, --output FILE      WAV file to write (default glimmerwick.wav)\n"
         "  -m, --midi FILE        Standard MIDI file (format 0 or 1) to play;\n"
         "                         without it a built-in phrase of a few seconds plays\n"
         "  -p, --program P        program by number (from 0) or by name\n"
         "  -s, --set NAME=VALUE   set a parameter, by full name or index, in its own\n"
         "                         units (\"Filter Cutoff=2000\", \"160=-12\"); repeatable\n"
         "  --set-normalised NAME=X  set a parameter to the host value X in 0..1\n"
         "  -r, --rate HZ          sample rate (default 44100)\n"
         "  -b, --block FRAMES     block size (default 512)\n"
         "  -f, --format F         float (32-bit, default), pcm16 or pcm24\n"
         "  --max-tail SECONDS     longest release tail after the last event (default 30)\n"
         "  -g, --gain DB          scale the output by DB decibels, -60 to 20 (default 0)\n"
         "  --loudness             print the output's integrated loudness (EBU R 128, LUFS)\n"
         "                         and true peak (dBTP)\n"
         "  -h, --help             show this text\n"
         "\n"
         "After the last event the render goes on until the output has stayed below\n"
         "-100 dBFS for half a second, or the tail reaches its cap.\n";
}

const char* formatName(SampleFormat format) {
  switch (format) {
    case SampleFormat::Pcm16:
      return "16-bit PCM";
    case SampleFormat::Pcm24:
      return "24-bit PCM";
    default:
      return "32-bit float";
  }
}

bool parseOptions(std::span<const std::string> args, RenderOptions& options, std::string& error) {
  auto fail = [&](std::string what) {
    error = std::move(what);
    return false;
  };
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool inlineValue = false;
    if (name.starts_with("--") && name.find('=') != std::string::npos) {
      value = name.substr(name.find('=') + 1);
      name = name.substr(0, name.find('='));
      inlineValue = true;
    }
    auto takeValue = [&]() {
      if (inlineValue) return true;
      if (i + 1 >= args.size()) return false;
      value = args[++i];
      return true;
    };
    auto needsValue = [&] { return fail("option " + name + " needs a value"); };
    auto isOption = [&](const char* shortName, const char* longName) {
      return (shortName != nullptr && name == shortName) || name == longName;
    };

    if (isOption("-h", "--help") || isOption(nullptr, "--info") ||
        isOption(nullptr, "--loudness")) {
      if (inlineValue) return fail("option " + name + " takes no value");
      (name == "--info"       ? options.info
       : name == "--loudness" ? options.loudness
                              : options.help) = true;
    } else if (isOption("-o", "--output")) {
      if (!takeValue() || value.empty()) return needsValue();
      options.output = value;
    } else if (isOption("-m", "--midi")) {
      if (!takeValue() || value.empty()) return needsValue();
      options.midi = value;
    } else if (isOption("-p", "--program")) {
      if (!takeValue() || value.empty()) return needsValue();
      options.program = value;
    } else if (isOption("-s", "--set") || isOption(nullptr, "--set-normalised")) {
      if (!takeValue()) return needsValue();
      if (!parseSetting(value, name == "--set-normalised", options))
        return fail("option " + name + " wants NAME=VALUE, not '" + value + "'");
    } else if (isOption("-r", "--rate")) {
      if (!takeValue()) return needsValue();
      // WAV headers hold whole hertz.
      if (!parseNumber(value, options.sampleRate) || options.sampleRate < kMinRate ||
          options.sampleRate > kMaxRate || std::floor(options.sampleRate) != options.sampleRate)
        return fail("sample rate '" + value +
                    "' is not a whole number of hertz from 1000 to 768000");
    } else if (isOption("-b", "--block")) {
      if (!takeValue()) return needsValue();
      if (!parseInt(value, options.blockSize) || options.blockSize < 1 ||
          options.blockSize > kMaxBlock)
        return fail("block size '" + value + "' is not a whole number from 1 to 16384");
    } else if (isOption("-f", "--format")) {
      if (!takeValue()) return needsValue();
      if (value == "float")
        options.format = SampleFormat::Float32;
      else if (value == "pcm16")
        options.format = SampleFormat::Pcm16;
      else if (value == "pcm24")
        options.format = SampleFormat::Pcm24;
      else
        return fail("format '" + value + "' is not one of float, pcm16, pcm24");
    } else if (isOption(nullptr, "--max-tail")) {
      if (!takeValue()) return needsValue();
      if (!parseNumber(value, options.maxTailSeconds) || options.maxTailSeconds < 0.0 ||
          options.maxTailSeconds > kMaxTail)
        return fail("tail cap '" + value + "' is not a number of seconds from 0 to 600");
    } else if (isOption("-g", "--gain")) {
      if (!takeValue()) return needsValue();
      if (!parseNumber(value, options.gainDb) || options.gainDb < kMinGainDb ||
          options.gainDb > kMaxGainDb)
        return fail("gain '" + value + "' is not a number of decibels from -60 to 20");
    } else if (name.size() > 1 && name[0] == '-') {
      return fail("unknown option " + name);
    } else {
      positional.push_back(args[i]);
    }
  }
  if (options.help) return true;
  if (positional.empty()) return fail("no module file given");
  if (positional.size() > 1)
    return fail("more than one module file given ('" + positional[1] + "')");
  options.module = positional[0];
  return true;
}

}  // namespace gw::render
