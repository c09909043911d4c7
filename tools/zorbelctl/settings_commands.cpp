// --set, --image, show and encode.
#include <cstring>
#include <iostream>
#include <vector>

#include "common/atomic_file.h"
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
  switch (s.kind) {
    case ControlKind::Edit: ctx.model.setText(name, value); break;
    case ControlKind::Combo: {
      const auto n = settings::parseInteger(value);
      if (!n || value.find_first_not_of("-0123456789") != std::string::npos) {
        std::cerr << "zorbelctl: " << name << " takes an item index\n";
        return kExitUsage;
      }
      ctx.model.setIndex(name, *n);
      break;
    }
    case ControlKind::Check:
      if (value != "0" && value != "1") {
        std::cerr << "zorbelctl: " << name << " takes 1 or 0\n";
        return kExitUsage;
      }
      ctx.model.click(name, value == "1");
      break;
  }
  return kExitOk;
}

int applyImage(Context& ctx, const std::string& path) {
  // Read with a limit, and only from a plain file: a device such as /dev/zero
  // would otherwise be read for ever, and a folder ends the program.
  std::vector<unsigned char> bytes;
  std::string error;
  switch (readWholeFile(path, settings::kImageSize, bytes, error)) {
    case ReadStatus::Ok: break;
    case ReadStatus::TooLong:
      std::cerr << "zorbelctl: " << path << " holds more than 2048 bytes, not a 2048-byte image\n";
      return kExitFile;
    default:
      std::cerr << "zorbelctl: cannot open " << path << ": " << error << "\n";
      return kExitFile;
  }
  settings::Image image{};
  if (bytes.size() != image.size()) {
    std::cerr << "zorbelctl: " << path << " holds " << bytes.size() << " bytes, not a 2048-byte image\n";
    return kExitFile;
  }
  std::memcpy(image.data(), bytes.data(), image.size());
  const auto result = settings::decodeSettings(image, ctx.model);
  if (!result.ok) {
    std::cerr << result.message << "\n";
    return kExitVersion;
  }
  return kExitOk;
}

void printSettings(const settings::SettingsModel& model, std::ostream& out) {
  const auto all = settings::allSettings();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto& st = model.at(i);
    out << all[i].name << '=';
    switch (all[i].kind) {
      case ControlKind::Edit: out << st.text; break;
      case ControlKind::Combo: out << st.index; break;
      case ControlKind::Check: out << (st.checked ? 1 : 0); break;
    }
    out << '\n';
  }
}

int cmdShow(Context& ctx, const Args&) {
  printSettings(ctx.model, std::cout);
  return kExitOk;
}

int encodeForWrite(Context& ctx, settings::Image& image) {
  if (ctx.model.checked("Uploadpctime")) ctx.model.fillRtcFromPcClock();
  const auto result = settings::encodeSettings(ctx.model, image);
  if (result.ok()) return kExitOk;
  std::cerr << result.message() << "\n";
  return result.status == settings::EncodeResult::Status::RangeError ? kExitRange : kExitConversion;
}

int cmdEncode(Context& ctx, const Args& args) {
  settings::Image image{};
  if (int status = encodeForWrite(ctx, image); status != kExitOk) return status;
  std::string error;
  if (!writeFileAtomically(args[0], image.data(), image.size(), error)) {
    std::cerr << "zorbelctl: Unable to write to " << args[0] << ": " << error << "\n";
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace zorbel::ctl
