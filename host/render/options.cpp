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
constexpr double kMinNormalizeDb = -60.0;
constexpr double kMaxNormalizeDb = 0.0;

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
         "  -p, --program P        program by number (from 1) or by name\n"
         "  --bank FILE.fxb        load a VST bank of programs (the standalone's, say) first\n"
         "  -s, --set NAME=VALUE   set a parameter, by full name, unique start of a name or\n"
         "                         index (as --info lists them), to a number in its own\n"
         "                         units or a word it shows (\"Filter Cutoff=2000\",\n"
         "                         \"160=-12\", \"Filter Type=Low\", \"Env 1 Time R2=Inf\");\n"
         "                         repeatable\n"
         "  --set-normalised NAME=X  set a parameter to the host value X in 0..1\n"
         "  -r, --rate HZ          sample rate (default 44100)\n"
         "  -b, --block FRAMES     block size (default 512)\n"
         "  -f, --format F         float (32-bit, default), pcm16 or pcm24\n"
         "  --max-tail SECONDS     longest release tail after the last event (default 30)\n"
         "  -g, --gain DB          scale the output by DB decibels, -60 to 20 (default 0)\n"
         "  --normalize DB         scale the output so that its true peak is DB dBTP,\n"
         "                         -60 to 0 (instead of --gain)\n"
         "  --loudness             print the output's integrated loudness (EBU R 128, LUFS)\n"
         "                         and true peak (dBTP)\n"
         "  -h, --help             show this text\n"
         "\n"
         "After the last event the render goes on until the output has stayed below\n"
         "-100 dBFS for half a second, or the tail reaches its cap. The WAV file is written\n"
         "under another name beside FILE and takes its place only when the render is\n"
         "complete. The peak and true peak go to standard error, with a warning when the\n"
         "output goes over full scale.\n"
         "Exit status: 0 rendered, 1 the render failed or was refused, 2 a bad option.\n";
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
    auto isOption = [&](const char* shortName, const char* longName) {
      return (shortName != nullptr && name == shortName) || name == longName;
    };
    // What the option takes, for its error lines.
    auto takes = [&](const char* what) {
      return fail(name + " takes " + what + ", not '" + value + "'");
    };
    auto takeValue = [&](const char* what) {
      if (!inlineValue) {
        if (i + 1 >= args.size()) return fail(name + " needs a value: " + what);
        value = args[++i];
      }
      return true;
    };

    if (isOption("-h", "--help") || isOption(nullptr, "--info") ||
        isOption(nullptr, "--loudness")) {
      if (inlineValue) return fail(name + " takes no value");
      (name == "--info"       ? options.info
       : name == "--loudness" ? options.loudness
                              : options.help) = true;
    } else if (isOption("-o", "--output") || isOption("-m", "--midi") ||
               isOption("-p", "--program") || isOption(nullptr, "--bank")) {
      const bool program = isOption("-p", "--program");
      const char* what = program ? "a program's number (from 1) or name" : "a file name";
      if (!takeValue(what)) return false;
      if (value.empty()) return takes(what);
      (isOption("-o", "--output") ? options.output
       : isOption("-m", "--midi") ? options.midi
       : program                  ? options.program
                                  : options.bank) = value;
    } else if (isOption("-s", "--set") || isOption(nullptr, "--set-normalised")) {
      if (!takeValue("NAME=VALUE")) return false;
      if (!parseSetting(value, name == "--set-normalised", options)) return takes("NAME=VALUE");
    } else if (isOption("-r", "--rate")) {
      constexpr const char* what = "a whole number of hertz from 1000 to 768000";
      if (!takeValue(what)) return false;
      // WAV headers hold whole hertz.
      if (!parseNumber(value, options.sampleRate) || options.sampleRate < kMinRate ||
          options.sampleRate > kMaxRate || std::floor(options.sampleRate) != options.sampleRate)
        return takes(what);
    } else if (isOption("-b", "--block")) {
      constexpr const char* what = "a whole number of frames from 1 to 16384";
      if (!takeValue(what)) return false;
      if (!parseInt(value, options.blockSize) || options.blockSize < 1 ||
          options.blockSize > kMaxBlock)
        return takes(what);
    } else if (isOption("-f", "--format")) {
      constexpr const char* what = "float, pcm16 or pcm24";
      if (!takeValue(what)) return false;
      if (value == "float")
        options.format = SampleFormat::Float32;
      else if (value == "pcm16")
        options.format = SampleFormat::Pcm16;
      else if (value == "pcm24")
        options.format = SampleFormat::Pcm24;
      else
        return takes(what);
    } else if (isOption(nullptr, "--max-tail")) {
      constexpr const char* what = "seconds from 0 to 600";
      if (!takeValue(what)) return false;
      if (!parseNumber(value, options.maxTailSeconds) || options.maxTailSeconds < 0.0 ||
          options.maxTailSeconds > kMaxTail)
        return takes(what);
    } else if (isOption("-g", "--gain")) {
      constexpr const char* what = "decibels from -60 to 20";
      if (!takeValue(what)) return false;
      if (!parseNumber(value, options.gainDb) || options.gainDb < kMinGainDb ||
          options.gainDb > kMaxGainDb)
        return takes(what);
    } else if (isOption(nullptr, "--normalize")) {
      constexpr const char* what = "a peak in decibels from -60 to 0";
      if (!takeValue(what)) return false;
      if (!parseNumber(value, options.normalizeDb) || options.normalizeDb < kMinNormalizeDb ||
          options.normalizeDb > kMaxNormalizeDb)
        return takes(what);
      options.normalize = true;
    } else if (name.size() > 1 && name[0] == '-') {
      return fail("unknown option " + name + " (--help lists them)");
    } else {
      positional.push_back(args[i]);
    }
  }
  if (options.help) return true;
  if (options.normalize && options.gainDb != 0.0)
    return fail("--normalize sets the gain itself: give it or --gain, not both");
  if (positional.empty()) return fail("no module file given");
  if (positional.size() > 1)
    return fail("more than one module file given ('" + positional[1] + "')");
  options.module = positional[0];
  return true;
}

}  // namespace gw::render
