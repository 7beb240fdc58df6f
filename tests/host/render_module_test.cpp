// glimmerwick-render driving the real module: what comes out must be what a listener
// expects from the notes and settings that went in.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

// Names of their own, per test: ctest runs the tests of this file side by side, each in a
// process of its own, and two of them writing one stderr file read each other's lines.
std::string scratch(const std::string& name) {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  const std::string owner =
      test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() + "_" : "";
  return testing::TempDir() + "render_module_" + owner + name;
}

// One A4 from 0.5 s to 1.0 s at 120 BPM, 480 ticks per quarter note.
void writeOneNote(const std::string& path) {
  const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,   0,   6,   0, 0,
                                 0,    1,    0x01, 0xE0, 'M',  'T', 'r', 'k', 0, 0,
                                 0,    13,   0x83, 0x60, 0x90, 69,  100,  // tick 480: note on
                                 0x83, 0x60, 69,   0,  // tick 960: running, velocity 0
                                 0x00, 0xFF, 0x2F, 0x00};
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

int runRender(const std::string& arguments, const std::string& output) {
  const std::string command = std::string("'") + GW_RENDER_EXE + "' " + arguments + " '" +
                              GW_MODULE + "' > '" + output + "'";
  return std::system(command.c_str());
}

std::vector<float> readChannel(const std::string& path, int channel, int& rate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return {};
  std::vector<float> frames(static_cast<std::size_t>(info.frames) * info.channels);
  sf_readf_float(file, frames.data(), info.frames);
  sf_close(file);
  rate = info.samplerate;
  std::vector<float> out(static_cast<std::size_t>(info.frames));
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = frames[i * info.channels + channel];
  return out;
}

// Rising zero crossings, interpolated, over [from, to): the frequency of a clean tone.
double pitchByZeroCrossings(const std::vector<float>& x, std::size_t from, std::size_t to) {
  double first = -1.0, last = -1.0;
  int crossings = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      const double at = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
      if (first < 0.0) first = at;
      last = at;
      ++crossings;
    }
  }
  return crossings > 1 ? (crossings - 1) * kRate / (last - first) : 0.0;
}

TEST(RenderModule, APureToneStartsInItsBlockAtItsPitchAndTheTailEnds) {
  const std::string midi = scratch("one_note.mid");
  const std::string wav = scratch("one_note.wav");
  writeOneNote(midi);
  // One sine harmonic, no filtering, modulation or LFOs; short attack and release.
  std::string settings =
      "-s 'Level 1=1' -s 'Filter Type=0' -s 'Pulse Width=0.5' "
      "-s 'Modulation On/Off=off' -s 'Attack=0' -s 'Decay=0' "
      "-s 'Sustain=1' -s 'Release=0.1' -s 'Coarse Tune=0' -s 'Fine Tune=0' "
      "-s 'PW LFO Amount=0' -s 'PW Env Amount=0' -s 'Volume=1' ";
  for (int h = 2; h <= 16; ++h) settings += "-s 'Level " + std::to_string(h) + "=0' ";
  for (int e = 1; e <= 16; ++e) settings += "-s 'Env Select " + std::to_string(e) + "=0' ";
  for (int k = 1; k <= 4; ++k) settings += "-s 'LFO " + std::to_string(k) + " Amount=0' ";
  ASSERT_EQ(runRender(settings + "-r 48000 -b 512 -m '" + midi + "' -o '" + wav + "'",
                      scratch("tone.txt")),
            0);

  int rate = 0;
  const std::vector<float> left = readChannel(wav, 0, rate);
  ASSERT_EQ(rate, 48000);
  ASSERT_FALSE(left.empty());
  for (float v : left) ASSERT_TRUE(std::isfinite(v));

  // The note-on at 0.5 s (frame 24000, inside a block) sounds from its own sample: its
  // first sample is the sine at phase 0, then it rises.
  std::size_t onset = 0;
  while (onset < left.size() && left[onset] == 0.0f) ++onset;
  EXPECT_EQ(onset, 24001u);

  EXPECT_NEAR(pitchByZeroCrossings(left, 26000, 47000), 440.0, 0.5);
  float peak = 0.0f;
  for (std::size_t i = 26000; i < 47000; ++i) peak = std::max(peak, std::fabs(left[i]));
  EXPECT_GT(peak, 0.01f);

  // Released at 1.0 s for 0.1 s, then half a second of silence ends the file.
  const double seconds = static_cast<double>(left.size()) / kRate;
  EXPECT_GE(seconds, 1.5);
  EXPECT_LE(seconds, 1.6 + 2.0 * kBlock / kRate);
  for (std::size_t i = static_cast<std::size_t>(1.15 * kRate); i < left.size(); ++i)
    ASSERT_LT(std::fabs(left[i]), 1e-5f) << "frame " << i;
}

TEST(RenderModule, TheBuiltInPhraseIsHeardAndSummarised) {
  const std::string wav = scratch("phrase.wav");
  ASSERT_EQ(runRender("-p 3 --max-tail 5 -o '" + wav + "'", scratch("phrase.txt")), 0);
  std::ifstream summary(scratch("phrase.txt"));
  std::string line;
  std::getline(summary, line);
  EXPECT_NE(line.find("phrase.wav: "), std::string::npos) << line;
  EXPECT_NE(line.find("real time"), std::string::npos) << line;
  EXPECT_EQ(line.find("non-finite"), std::string::npos) << line;
  int rate = 0;
  const std::vector<float> right = readChannel(wav, 1, rate);
  float peak = 0.0f;
  for (float v : right) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 1e-3f) << "the phrase should be heard";
}

// What --info prints round-trips: every settable parameter's name with the value text it
// shows, all given back to -s at once, is accepted.
TEST(RenderModule, EveryNameAndShownValueThatInfoPrintsIsTakenBySet) {
  const std::string info = scratch("info.txt");
  ASSERT_EQ(runRender("--info", info), 0);
  std::ifstream in(info);
  const std::regex row(R"(^ +(\d+)  (.{26}) (.{8}) (\S+) +[0-9.]+( .*)?$)");
  std::string line, settings;
  int rows = 0;
  while (std::getline(in, line)) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    std::string name = m[2];
    name.erase(name.find_last_not_of(' ') + 1);
    if (name == "u" || name == "Unused") continue;
    settings += "-s '" + name + "=" + m[4].str() + "' ";
    ++rows;
  }
  EXPECT_EQ(rows, 139);  // 180 less the 41 rows nothing reads
  const std::string midi = scratch("info_note.mid");
  writeOneNote(midi);
  EXPECT_EQ(runRender(settings + "--max-tail 0 -m '" + midi + "' -o '" + scratch("info.wav") + "'",
                      scratch("info_render.txt")),
            0);
}

TEST(RenderModule, MusicLongerThanAWavFileHoldsIsRefused) {
  // One delta of 2^28 - 1 ticks at the slowest tempo and one tick per quarter note.
  const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,   0,    6,    0,    0,
                                 0,    1,    0,    1,    'M',  'T', 'r',  'k',  0,    0,
                                 0,    18,   0x00, 0xFF, 0x51, 3,   0xFF, 0xFF, 0xFF, 0xFF,
                                 0xFF, 0xFF, 0x7F, 0x90, 60,   100, 0x00, 0xFF, 0x2F, 0x00};
  const std::string midi = scratch("long.mid");
  const std::string wav = scratch("long.wav");
  std::ofstream(midi, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  EXPECT_NE(runRender("-m '" + midi + "' -o '" + wav + "' 2>/dev/null", scratch("long.txt")), 0);
  EXPECT_FALSE(std::ifstream(wav).good()) << "no output file is left behind";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Outcome {
  int code = -1;
  std::string err;
};

// The renderer with these arguments (the module last unless given), its exit code and
// standard error.
Outcome render(const std::string& arguments, bool withModule = true) {
  const std::string err = scratch("stderr.txt");
  const std::string command = std::string("'") + GW_RENDER_EXE + "' " + arguments +
                              (withModule ? std::string(" '") + GW_MODULE + "'" : "") +
                              " >/dev/null 2>'" + err + "'";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(err)};
}

int lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The renderer never writes over a file it reads, however the output names it, and says
// so in one line before it opens anything.
TEST(RenderRefusals, AnOutputThatIsAnInputLeavesBothFilesAsTheyWere) {
  namespace fs = std::filesystem;
  const fs::path dir = scratch("refusals");
  fs::remove_all(dir);
  fs::create_directories(dir / "sub");
  const fs::path module = dir / "mod.so";
  fs::copy_file(GW_MODULE, module);
  const std::string moduleBytes = slurp(module);
  Outcome run = render(
      "-o '" + (dir / "sub" / ".." / "mod.so").string() + "' '" + module.string() + "'", false);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(lines(run.err), 1) << run.err;
  EXPECT_NE(run.err.find("is the module it renders through"), std::string::npos) << run.err;
  EXPECT_EQ(slurp(module), moduleBytes);

  const fs::path midi = dir / "song.mid", link = dir / "sub" / "link.mid";
  writeOneNote(midi.string());
  ASSERT_EQ(::link(midi.c_str(), link.c_str()), 0);
  const std::string midiBytes = slurp(midi);
  for (const fs::path& output : {link, dir / "sub" / ".." / "song.mid"}) {
    run = render("-m '" + midi.string() + "' -o '" + output.string() + "'");
    EXPECT_EQ(run.code, 1) << output;
    EXPECT_EQ(lines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("is the MIDI file it plays"), std::string::npos) << run.err;
    EXPECT_EQ(slurp(midi), midiBytes);
    EXPECT_EQ(slurp(link), midiBytes);
  }
  fs::remove_all(dir);
}

// One held note of five minutes: long enough to be caught while rendering.
void writeLongNote(const std::string& path) {
  // 288000 ticks at 480 a beat and 120 BPM: 300 s, as a three-byte delta.
  const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,    0,  6, 0,    0,    0,    1,
                                 0x01, 0xE0, 'M',  'T',  'r',  'k',  0,  0, 0,    14,   0x00, 0x90,
                                 60,   100,  0x91, 0xCA, 0x00, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// Killed mid-way, by a signal it can answer or one it cannot, the render leaves the old
// output as it was; a signal it can answer also takes its unfinished file away.
TEST(RenderRefusals, AnInterruptedRenderLeavesTheOldOutputUntouched) {
  namespace fs = std::filesystem;
  const fs::path dir = scratch("interrupted");
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path midi = dir / "long.mid", output = dir / "out.wav";
  writeLongNote(midi.string());
  for (int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(signal);
    std::ofstream(output) << "the old take";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      execl(GW_RENDER_EXE, GW_RENDER_EXE, "-m", midi.c_str(), "-o", output.c_str(), GW_MODULE,
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // Wait until the render is writing its new file.
    const auto partial = [&] {
      for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().extension() == ".part" && fs::file_size(entry.path()) > 100000)
          return true;
      return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!partial() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(partial());
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(slurp(output), "the old take");
    if (signal == SIGTERM) {
      EXPECT_FALSE(partial()) << "the unfinished file is gone";
    }
  }
  fs::remove_all(dir);
}

double reportedPeak(const std::string& err) {
  const auto at = err.find("peak ");
  return at == std::string::npos ? 99.0 : std::stod(err.substr(at + 5));
}

// Over full scale the renderer warns and names the gain that keeps it under, which does;
// a quiet render draws no warning; --normalize puts the true peak where it is asked.
TEST(RenderRefusals, TheClipWarningComesWithAGainThatKeepsTheOutputUnder) {
  const std::string wav = scratch("loud.wav");
  Outcome run = render("-p Defaults -f pcm16 -o '" + wav + "'");
  ASSERT_EQ(run.code, 0) << run.err;
  const auto warning = run.err.find("warning: " + wav + " goes over full scale (peak +");
  ASSERT_NE(warning, std::string::npos) << run.err;
  EXPECT_NE(run.err.find("16-bit PCM clipped it"), std::string::npos) << run.err;
  const auto gain = run.err.find("-g ", warning);
  ASSERT_NE(gain, std::string::npos) << run.err;
  const std::string advised = run.err.substr(gain, run.err.find(' ', gain + 3) - gain);

  run = render("-p Defaults -f pcm16 " + advised + " -o '" + wav + "'");
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << advised << ": " << run.err;
  EXPECT_LT(reportedPeak(run.err), 0.0) << run.err;

  run = render("-p Defaults --normalize -3 -o '" + wav + "'");
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
  const auto truePeak = run.err.find("true peak ");
  ASSERT_NE(truePeak, std::string::npos) << run.err;
  EXPECT_NEAR(std::stod(run.err.substr(truePeak + 10)), -3.0, 0.05) << run.err;
  // The float file's format chunk is complete: sox reads it without a word.
  const std::string sox = "sox --i '" + wav + "' 2>&1 >/dev/null";
  if (std::system("command -v sox >/dev/null") == 0) {
    FILE* pipe = popen(sox.c_str(), "r");
    char buffer[256] = {};
    const std::size_t read = std::fread(buffer, 1, sizeof buffer - 1, pipe);
    pclose(pipe);
    EXPECT_EQ(std::string(buffer, read), "");
  }
}

// One error style: a bad option, a parameter or a program the module lacks, all one line
// naming the option, all exit code 2.
TEST(RenderRefusals, EveryBadOptionIsOneLineWithTheSameExitCode) {
  const std::string out = "-o '" + scratch("bad.wav") + "' ";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"-g loud", "-g takes decibels from -60 to 20, not 'loud'"},
      {"-r 44.1k", "-r takes a whole number of hertz"},
      {"--block 0", "--block takes a whole number of frames"},
      {"-f mp3", "-f takes float, pcm16 or pcm24, not 'mp3'"},
      {"--normalize 3", "--normalize takes a peak in decibels from -60 to 0"},
      {"--frobnicate", "unknown option --frobnicate"},
      {"-s 'Velocity Filtr=1'", "--set 'Velocity Filtr=1': no parameter's name is or starts"},
      {"-s 'Filter Type=Lowish'", "Filter Type (141) takes a number from 0 to 4 or one of"},
      {"-p 33", "--program takes a number from 1 to 32"},
      {"-p 0", "--program takes a number from 1 to 32"},
      {"-p Nonesuch", "--program takes a number from 1 to 32 or a program's name"},
  };
  for (const auto& [arguments, message] : cases) {
    const Outcome run = render(out + arguments);
    EXPECT_EQ(run.code, 2) << arguments << ": " << run.err;
    EXPECT_EQ(lines(run.err), 1) << arguments << ": " << run.err;
    EXPECT_EQ(run.err.rfind("glimmerwick-render: ", 0), 0u) << arguments << ": " << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << arguments << ": " << run.err;
  }
  const Outcome none = render("", false);
  EXPECT_EQ(none.code, 2);
  EXPECT_NE(none.err.find("Usage: glimmerwick-render"), std::string::npos);
  const Outcome missing = render(out + "/nonexistent/glimmerwick.so", false);
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(lines(missing.err), 1) << missing.err;
}

}  // namespace
