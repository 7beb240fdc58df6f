// glimmerwick-standalone: opens a VST 2.4 module's editor in a window of its own and
// idles it the way a host does.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/host_library.h"
#include "host/program_bank.h"
#include "host/standalone/callback_log.h"
#include "host/standalone/editor_session.h"
#include "host/standalone/jack_player.h"
#include "host/standalone/main_loop.h"
#include "host/standalone/options.h"
#include "host/standalone/user_bank.h"
#include "platform/top_level_window.h"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "glimmerwick-standalone: %s\n", message.c_str());
  return 1;
}

// The module built next to this program: <build>/host/glimmerwick-standalone and
// <build>/glimmerwick.so (glimmerwick.dll on Windows).
std::string defaultModule(const char* argv0) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0, ec);
  return (self.parent_path().parent_path() / GW_MODULE_FILE_NAME).string();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gw;
  const std::vector<std::string> args(argv + 1, argv + argc);
  standalone::StandaloneOptions options;
  std::string error;
  if (!standalone::parseOptions(args, options, error)) {
    std::fprintf(stderr, "glimmerwick-standalone: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(standalone::usageText(), stdout);
    return 0;
  }
  if (options.module.empty()) options.module = defaultModule(argv[0]);
  standalone::watchStopSignals();
  // Without a display there is nothing to show: say so before running any plug-in code.
  if (options.editor && !platform::TopLevelWindow::displayReachable(error)) return fail(error);

  auto module = host::Module::load(options.module, error);
  if (module == nullptr) return fail("cannot load " + options.module + ": " + error);
  auto plugin = host::Plugin::create(*module, error);
  if (plugin == nullptr) return fail("cannot create the plug-in: " + error);
  // The user's programs as the last session left them; saved again when it ends.
  standalone::UserBank bank;
  bank.restore(*plugin, options.bank.empty() ? standalone::defaultBankPath(*plugin) : options.bank);
  if (!options.program.empty()) {
    int program = 0;
    if (!host::findProgram(options.program, *plugin, program, error)) {
      std::fprintf(stderr, "glimmerwick-standalone: %s\n", error.c_str());
      return 2;
    }
    plugin->dispatch(vst::effSetProgram, 0, program);
  }

  bool soundFailed = false;
  auto sound = standalone::startJack(*plugin, options, error, soundFailed);
  if (soundFailed || (sound == nullptr && !options.editor)) return fail(error);
  if (sound == nullptr && options.audio)
    std::fprintf(stderr, "glimmerwick-standalone: %s\n", error.c_str());

  int code = 0;
  if (!options.editor) {
    code = standalone::runWithoutEditor(*sound);
  } else {
    standalone::EditorSession session(*plugin);
    std::string title = plugin->effectName();
    if (title.empty()) title = "Glimmerwick";
    if (!session.open(title, error)) return fail(error);
    standalone::CallbackLog log(*plugin, options.printAutomation);
    std::vector<standalone::LoopClient*> clients = {&log};
    if (sound != nullptr) clients.push_back(sound.get());
    code = standalone::runMainLoop(session, options, clients);
  }
  sound.reset();  // the audio thread stops before the plug-in closes
  if (const std::uint32_t refused = plugin->refusedMidi(); refused > 0) {
    std::fprintf(
        stderr,
        "glimmerwick-standalone: the module refused %u MIDI events (too many in one block)\n",
        refused);
  }
  // A screenshot run edits nothing and leaves the user's files alone.
  if (options.screenshot.empty() && !bank.save(*plugin)) code = 1;
  plugin->close();
  return code;
}
