#include "tests/hosts/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace gw::test {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool overridden = false;
    for (const std::string& e : extra) overridden |= e.compare(0, name.size() + 1, name + "=") == 0;
    if (!overridden) merged.push_back(text);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Starts argv in a process group of its own, output appended to log, input from in.
pid_t spawn(std::vector<std::string> argv, const std::vector<std::string>& env, const fs::path& in,
            const fs::path& log) {
  std::vector<std::string> environment = mergedEnvironment(env);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const std::vector<char*> args = pointers(argv);
  const std::vector<char*> envp = pointers(environment);
  if (posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return pid;
}

int decode(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool waitFor(pid_t pid, double seconds, int& code) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      code = decode(status);
      return true;
    }
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The group goes as a whole: session tools start helpers of their own.
void killGroup(pid_t pid, int& code) {
  ::kill(-pid, SIGTERM);
  if (waitFor(pid, 5.0, code)) {
    ::kill(-pid, SIGKILL);  // stragglers of the group
    return;
  }
  ::kill(-pid, SIGKILL);
  waitFor(pid, 5.0, code);
}

}  // namespace

fs::path makeScratchDirectory(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

RunResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     double timeoutSeconds, const std::string& stdinText) {
  RunResult result;
  const fs::path dir = makeScratchDirectory("gw-run");
  if (dir.empty()) return result;
  const fs::path in = dir / "stdin", log = dir / "output";
  std::ofstream(in, std::ios::binary) << stdinText;
  const pid_t pid = spawn(argv, env, in, log);
  if (pid < 0) {
    result.output = "cannot start " + argv.at(0);
  } else if (!waitFor(pid, timeoutSeconds, result.exitCode)) {
    result.timedOut = true;
    killGroup(pid, result.exitCode);
    result.exitCode = -1;
  }
  if (pid >= 0) result.output = slurp(log);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return result;
}

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::vector<std::string>& env, const fs::path& log)
    : log_(log) {
  pid_ = spawn(argv, env, "/dev/null", log);
}

BackgroundProgram::~BackgroundProgram() {
  stop();
}

bool BackgroundProgram::exited(int& exitCode) {
  return waitExit(0.0, exitCode);
}

bool BackgroundProgram::waitExit(double timeoutSeconds, int& exitCode) {
  if (pid_ <= 0) return true;
  if (!reaped_) reaped_ = waitFor(pid_, timeoutSeconds, exitCode_);
  exitCode = exitCode_;
  return reaped_;
}

void BackgroundProgram::stop() {
  if (pid_ <= 0 || reaped_) return;
  killGroup(pid_, exitCode_);
  reaped_ = true;
}

std::string BackgroundProgram::log() const {
  return slurp(log_);
}

void forgetPluginPaths() {
  for (const char* name : {"LV2_PATH", "VST_PATH", "VST_PLUGINS", "LXVST_PATH", "LXVST_PLUGINS"})
    ::unsetenv(name);
}

std::string freshName(const std::string& prefix) {
  static std::atomic<int> count{0};
  return prefix + std::to_string(::getpid()) + "-" + std::to_string(++count);
}

}  // namespace gw::test
