// Configuration file memory benchmark: the peak resident memory an import of a
// 16 MiB configuration file, and a save over one, cost, for a few hostile
// shapes of file. Each run is a child process of its own, so one run's peak is
// not another's. Prints the peak above what the child held before the run and
// its ratio to the file size. It asserts nothing.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cfgfile/config_file.h"
#include "settings/model.h"

namespace {

using namespace zorbel;

constexpr std::size_t kFileSize = std::size_t{16} << 20;  // the largest file an import takes

struct Shape {
  const char* name;
  std::function<std::string()> make;
};

// `line` repeated up to kFileSize bytes, cut at the end.
std::string repeated(std::string_view line) {
  std::string text;
  text.reserve(kFileSize);
  while (text.size() + line.size() <= kFileSize) text += line;
  text.append(line.substr(0, kFileSize - text.size()));
  return text;
}

// Distinct keys in a section the import reads, each a short line.
std::string distinctKeys() {
  std::string text = "[Radio]\n";
  text.reserve(kFileSize);
  char line[32];
  for (unsigned i = 0;; ++i) {
    const int n = std::snprintf(line, sizeof line, "k%x=1\n", i);
    if (text.size() + static_cast<std::size_t>(n) > kFileSize) break;
    text.append(line, static_cast<std::size_t>(n));
  }
  text.resize(kFileSize, '\n');
  return text;
}

// A kB figure from /proc/self/status ("VmRSS", "VmHWM").
long statusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);)
    if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
  return -1;
}

// Resets the peak to the present size; false where the system does not allow it.
bool resetPeak() {
  std::ofstream refs("/proc/self/clear_refs");
  refs << "5";
  refs.flush();
  return static_cast<bool>(refs);
}

// Runs `work` in a child; false when it failed.
bool inChild(const std::function<bool()>& work) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    const bool ok = work();
    std::fflush(stdout);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs `work` in a child and prints its peak; false when the child failed.
bool measure(const char* shape, const char* what, const std::function<bool()>& work) {
  return inChild([&] {
    const bool reset = resetPeak();
    const long before = reset ? statusKb("VmRSS") : statusKb("VmHWM");
    const bool ok = work();
    const long peak = statusKb("VmHWM");
    const double grownMb = static_cast<double>(peak - before) / 1024.0;
    std::printf("  %-28s %-6s peak %7.1f MB  grew %7.1f MB  grew/file %5.2f%s%s\n", shape, what,
                static_cast<double>(peak) / 1024.0, grownMb,
                grownMb * 1024.0 * 1024.0 / static_cast<double>(kFileSize),
                reset ? "" : "  (peak not resettable: includes the parent's)",
                ok ? "" : "  FAILED");
    return ok;
  });
}

}  // namespace

int main() {
  char folder[] = "/tmp/cfgfile-memory-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    std::perror("cfgfile_memory: mkdtemp");
    return 1;
  }
  const std::string path = std::string(folder) + "/big.cfg";
  const Shape shapes[] = {
      {"\"[]\" on every line", [] { return repeated("[]\n"); }},
      {"\"a\" on every line", [] { return repeated("a\n"); }},
      {"distinct keys in [Radio]", distinctKeys},
  };
  std::printf("a %zu-byte configuration file, imported and saved over:\n", kFileSize);
  bool ok = true;
  for (const Shape& shape : shapes) {
    // Made in a child too: memory the parent freed would otherwise be the runs' to reuse.
    ok = inChild([&] {
           std::ofstream out(path, std::ios::binary | std::ios::trunc);
           const std::string text = shape.make();
           out.write(text.data(), static_cast<std::streamsize>(text.size()));
           return static_cast<bool>(out.flush());
         }) &&
         ok;
    ok = measure(shape.name, "import",
                 [&] {
                   settings::SettingsModel model(1700000000);
                   return cfgfile::importConfigFile(model, path).ok();
                 }) &&
         ok;
    ok = measure(shape.name, "save",
                 [&] {
                   const settings::SettingsModel model(1700000000);
                   return cfgfile::saveConfigFile(model, path).ok();
                 }) &&
         ok;
  }
  ::unlink(path.c_str());
  ::rmdir(folder);
  return ok ? 0 : 1;
}
