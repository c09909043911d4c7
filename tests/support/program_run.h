#pragma once
// Runs a real program (zorbelctl, zorbel-sim) the way a user's shell would,
// with its output and error collected. The one way the tests start programs.
//
// The guard only keeps a hung program from holding up the suite: the program
// is killed and the run marked hung; nothing asserts on how long it took.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace zorbel::test {

struct ProgramRun {
  int status = -1;   // exit status; -1 when killed by a signal or hung
  int signal = 0;    // the signal that ended it, if one did
  bool hung = false; // outlived the guard and was killed
  double ms = 0;     // how long it ran
  std::string out;
  std::string err;
};

struct RunOptions {
  std::string workDir;       // the folder it runs in; empty: the test's own
  std::string input;         // bytes on its standard input (else /dev/null)
  std::string shellPrefix;   // a shell command run before exec (a ulimit, a umask)
  std::chrono::milliseconds guard{20000};
};

inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

inline ProgramRun runProgram(const std::vector<std::string>& argv, const RunOptions& options = {}) {
  namespace fs = std::filesystem;
  char scratchName[] = "/tmp/zorbel-run-XXXXXX";
  if (::mkdtemp(scratchName) == nullptr) throw std::runtime_error("cannot make a scratch folder");
  const fs::path scratch = scratchName;
  const auto slurp = [](const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };

  std::string command;
  if (!options.workDir.empty()) command += "cd " + shellQuoted(options.workDir) + " || exit 126\n";
  if (!options.shellPrefix.empty()) command += options.shellPrefix + "\n";
  command += "exec";
  for (const auto& a : argv) command += " " + shellQuoted(a);
  std::string inputPath = "/dev/null";
  if (!options.input.empty()) {
    inputPath = (scratch / "in").string();
    std::ofstream(inputPath, std::ios::binary) << options.input;
  }
  command += " >" + shellQuoted((scratch / "out").string()) + " 2>" + shellQuoted((scratch / "err").string()) +
             " <" + shellQuoted(inputPath);

  const char* args[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  ProgramRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(args), environ) != 0) {
    fs::remove_all(scratch);
    throw std::runtime_error("cannot start /bin/sh");
  }
  int status = 0;
  for (;;) {
    if (::waitpid(pid, &status, WNOHANG) == pid) break;
    if (std::chrono::steady_clock::now() - start > options.guard) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      run.hung = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (!run.hung && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.out = slurp(scratch / "out");
  run.err = slurp(scratch / "err");
  fs::remove_all(scratch);
  return run;
}

#ifdef ZORBELCTL_PATH
inline ProgramRun runZorbelctl(const std::vector<std::string>& args, const RunOptions& options = {}) {
  std::vector<std::string> argv{ZORBELCTL_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv, options);
}
#endif

}  // namespace zorbel::test
