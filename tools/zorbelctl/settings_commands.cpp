// --set, --image, show and encode.
#include <cerrno>
#include <cstring>
#include <iostream>
#include <sstream>
#include <vector>

#include <unistd.h>

#include "common/terminal_text.h"
#include "common/whole_file.h"
#include "ctl.h"
#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/integer_text.h"

namespace zorbel::ctl {

using settings::ControlKind;

int applySet(Context& ctx, std::string_view nameValue) {
  const auto eq = nameValue.find('=');
  if (eq == std::string_view::npos) {
    std::cerr << "zorbelctl: --set takes NAME=VALUE\n";
    return kExitUsage;
  }
  const std::string_view name = nameValue.substr(0, eq);
  const std::string value(nameValue.substr(eq + 1));
  const auto index = settings::findSetting(name);
  if (!index) {
    std::cerr << "zorbelctl: unknown setting " << name << "\n";
    return kExitUsage;
  }
  const settings::Setting& s = settings::allSettings()[*index];
  Result<void> set;
  switch (s.kind) {
    case ControlKind::Edit:
      // Taken whole, as a configuration file's text is: encoding refuses a
      // text its field would cut, and converts a number's whole text.
      set = ctx.model.setText(name, value);
      break;
    case ControlKind::Combo: {
      const auto n = settings::parseInteger(value);
      if (!n || value.find_first_not_of("-0123456789") != std::string::npos) {
        std::cerr << "zorbelctl: " << name << " takes an item index\n";
        return kExitUsage;
      }
      set = ctx.model.setIndex(name, *n);
      break;
    }
    case ControlKind::Check:
      if (value != "0" && value != "1") {
        std::cerr << "zorbelctl: " << name << " takes 1 or 0\n";
        return kExitUsage;
      }
      set = ctx.model.click(name, value == "1");
      break;
  }
  if (!set) {
    std::cerr << "zorbelctl: " << set.error().message << "\n";
    return kExitUsage;
  }
  return kExitOk;
}

int applyImage(Context& ctx, const std::string& path) {
  ctx.options.inputs.push_back(path);
  // Read with a limit, and only from a plain file: a device such as /dev/zero
  // would otherwise be read for ever, and a folder ends the program.
  const auto read = readWholeFile(path, settings::kImageSize);
  if (!read) {
    if (read.error().kind == ErrorKind::TooLong)
      std::cerr << "zorbelctl: " << path << " holds more than 2048 bytes, not a 2048-byte image\n";
    else
      std::cerr << "zorbelctl: cannot open " << path << ": " << read.error().reason << "\n";
    return exitStatus(ErrorKind::CannotRead);
  }
  const std::vector<unsigned char>& bytes = read.value();
  settings::Image image{};
  if (bytes.size() != image.size()) {
    std::cerr << "zorbelctl: " << path << " holds " << bytes.size()
              << " bytes, not a 2048-byte image\n";
    return exitStatus(ErrorKind::CannotRead);
  }
  std::memcpy(image.data(), bytes.data(), image.size());
  const Result<void> result = settings::decodeSettings(image, ctx.model);
  if (!result) {
    std::cerr << decodeFailureText(result.error()) << "\n";
    return exitStatus(result.error());
  }
  return kExitOk;
}

std::string decodeFailureText(const Error& error) {
  if (error.kind == ErrorKind::Version)
    return settings::deviceVersionMismatchMessage(escapedForTerminal(error.deviceVersion));
  return escapedForTerminal(error.message);
}

void printSettings(const settings::SettingsModel& model, std::ostream& out) {
  const auto all = settings::allSettings();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto& st = model.at(i);
    out << all[i].name << '=';
    switch (all[i].kind) {
      case ControlKind::Edit:
        // A control byte would start a NAME= line of its own or reach the
        // terminal as an escape sequence.
        out << escapedForTerminal(st.text);
        break;
      case ControlKind::Combo:
        out << st.index;
        break;
      case ControlKind::Check:
        out << (st.checked ? 1 : 0);
        break;
    }
    out << '\n';
  }
}

int cmdShow(Context& ctx, const Args&) {
  std::ostringstream text;
  printSettings(ctx.model, text);
  return writeStandardOutput(text.str());
}

int writeStandardOutput(std::string_view bytes) {
  // Written straight to the descriptor, so a full disk or a closed pipe is
  // seen here with its reason rather than lost in a stream's buffer.
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      std::cerr << "zorbelctl: cannot write to standard output: "
                << std::strerror(n < 0 ? errno : EIO) << "\n";
      return exitStatus(ErrorKind::WriteFailed);
    }
    done += static_cast<std::size_t>(n);
  }
  return kExitOk;
}

int reportSettingError(const Error& error) {
  if (error.kind == ErrorKind::Range)
    std::cerr << error.message << "\n";
  else if (error.kind == ErrorKind::TooLong)  // "NAME: at most N characters"
    std::cerr << "zorbelctl: " << error.message << "\n";
  else  // "'%s' is not a valid integer value", the text maybe from a file
    std::cerr << escapedForTerminal(error.message) << "\n";
  return exitStatus(error);
}

int encodeAndReport(Context& ctx, settings::Image& image) {
  const Result<void> result = settings::encodeWithPcClock(ctx.model, image);
  return result ? kExitOk : reportSettingError(result.error());
}

int cmdEncode(Context& ctx, const Args& args) {
  settings::Image image{};
  if (int status = encodeAndReport(ctx, image); status != kExitOk) return status;
  const auto written = writeFile(
      args[0], std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
  if (!written) {
    std::cerr << "zorbelctl: Unable to write to " << args[0] << ": " << written.error().reason
              << "\n";
    return exitStatus(written.error());
  }
  return kExitOk;
}

}  // namespace zorbel::ctl
