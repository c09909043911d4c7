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

// The backups zorbelctl keeps go to a folder of this test program's own, never
// into the user's home: XDG_DATA_HOME points there for every program started.
class IsolatedDataHome {
 public:
  IsolatedDataHome() {
    char name[] = "/tmp/zorbel-data-XXXXXX";
    if (::mkdtemp(name) == nullptr) throw std::runtime_error("cannot make a data folder");
    path_ = name;
    ::setenv("XDG_DATA_HOME", name, 1);
  }
  ~IsolatedDataHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  IsolatedDataHome(const IsolatedDataHome&) = delete;
  IsolatedDataHome& operator=(const IsolatedDataHome&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
inline const IsolatedDataHome kIsolatedDataHome;

struct ProgramRun {
  int status = -1;    // exit status; -1 when killed by a signal or hung
  int signal = 0;     // the signal that ended it, if one did
  bool hung = false;  // outlived the guard and was killed
  double ms = 0;      // how long it ran
  std::string out;
  std::string err;
};

struct RunOptions {
  std::string workDir;      // the folder it runs in; empty: the test's own
  std::string input;        // bytes on its standard input (else /dev/null)
  std::string shellPrefix;  // a shell command run before exec (a ulimit, a umask)
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
  command += " >" + shellQuoted((scratch / "out").string()) + " 2>" +
             shellQuoted((scratch / "err").string()) + " <" + shellQuoted(inputPath);

  const char* args[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  ProgramRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(args), environ) !=
      0) {
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
  run.ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (!run.hung && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.out = slurp(scratch / "out");
  run.err = slurp(scratch / "err");
  fs::remove_all(scratch);
  return run;
}

// Standard error without the "warning: NAME: WARNING" lines zorbelctl write
// prints before it goes on.
inline std::string withoutWarnings(const std::string& err) {
  std::string out;
  for (std::size_t at = 0; at < err.size();) {
    std::size_t end = err.find('\n', at);
    end = end == std::string::npos ? err.size() : end + 1;
    if (err.compare(at, 9, "warning: ") != 0) out += err.substr(at, end - at);
    at = end;
  }
  return out;
}

// Arguments written as one string, split at blanks (there is no quoting).
inline std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(' ', at)) != std::string::npos) {
    const std::size_t end = text.find(' ', at);
    out.push_back(text.substr(at, end - at));
    at = end;
  }
  return out;
}

// A program left running (a simulator, a command held up on purpose) until
// stop(); output() is what it has printed on its standard output so far.
class RunningProgram {
 public:
  explicit RunningProgram(const std::vector<std::string>& argv) {
    char scratchName[] = "/tmp/zorbel-run-XXXXXX";
    if (::mkdtemp(scratchName) == nullptr) throw std::runtime_error("cannot make a scratch folder");
    scratch_ = scratchName;
    std::string command = "exec";
    for (const auto& a : argv) command += " " + shellQuoted(a);
    command += " >" + shellQuoted((scratch_ / "out").string()) + " 2>" +
               shellQuoted((scratch_ / "err").string()) + " </dev/null";
    const char* args[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    if (::posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(args),
                      environ) != 0)
      throw std::runtime_error("cannot start /bin/sh");
  }
  ~RunningProgram() {
    stop(SIGKILL);
    std::filesystem::remove_all(scratch_);
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t pid() const { return pid_; }
  std::string output() const {
    std::ifstream in(scratch_ / "out", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Whether it has ended on its own; `status` gets its wait status then.
  bool ended(int& status) {
    if (pid_ >= 0 && ::waitpid(pid_, &status_, WNOHANG) != pid_) return false;
    pid_ = -1;
    status = status_;
    return true;
  }
  // Sends `sig` (unless it has ended) and waits for it; returns the wait status.
  int stop(int sig = SIGTERM) {
    if (pid_ < 0) return status_;
    ::kill(pid_, sig);
    ::waitpid(pid_, &status_, 0);
    pid_ = -1;
    return status_;
  }

 private:
  std::filesystem::path scratch_;
  pid_t pid_ = -1;
  int status_ = 0;
};

#ifdef ZORBELCTL_PATH
inline ProgramRun runZorbelctl(const std::vector<std::string>& args,
                               const RunOptions& options = {}) {
  std::vector<std::string> argv{ZORBELCTL_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv, options);
}
#endif

}  // namespace zorbel::test
