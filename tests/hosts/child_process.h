// Programs that nobody here wrote, run the way a user runs them: in their own process
// group, with a time limit, their output kept for the failure message.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace gw::test {

struct RunResult {
  int exitCode = -1;  // -1 when it did not exit normally
  bool timedOut = false;
  std::string output;  // standard output and error, interleaved
};

// Runs argv[0] (looked up on PATH) with extra NAME=value environment entries, standard
// input from stdinText, and kills its whole process group after timeoutSeconds.
RunResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     double timeoutSeconds, const std::string& stdinText = {});

// A program left running while the test talks to it (a JACK server, a player). Stopped
// with SIGTERM, then SIGKILL, when the object goes.
class BackgroundProgram {
 public:
  BackgroundProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                    const std::filesystem::path& log);
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // True once it has exited; exitCode then holds its code (-1 for a signal).
  bool exited(int& exitCode);
  // Waits up to timeoutSeconds for it to exit on its own.
  bool waitExit(double timeoutSeconds, int& exitCode);
  void stop();
  std::string log() const;

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int exitCode_ = -1;
  std::filesystem::path log_;
};

// Removes the plug-in search path variables (LV2_PATH, VST_PATH, LXVST_PATH and their
// older names) from this process's environment, so that the hosts it starts look for
// plug-ins where they look by default, as they do on a user's machine.
void forgetPluginPaths();

// A name no other call in this process has given: prefix, the process id and a count. A
// JACK server of each test gets its own, so one still shutting down from the test before
// is never taken for the new one.
std::string freshName(const std::string& prefix);

// A fresh directory under the test's temporary directory; removed by the caller.
std::filesystem::path makeScratchDirectory(const std::string& prefix);

}  // namespace gw::test
