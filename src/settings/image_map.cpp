#include "image_map.h"

#include <algorithm>

#include "catalog.h"
#include "image.h"

namespace zorbel::settings {

std::string_view encodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::None:
      return "None";
    case Encoding::ByteNumber:
      return "ByteNumber";
    case Encoding::WordNumber:
      return "WordNumber";
    case Encoding::UnsignedWord:
      return "UnsignedWord";
    case Encoding::ItemIndex:
      return "ItemIndex";
    case Encoding::FlagByte:
      return "FlagByte";
    case Encoding::PaddedCallsign:
      return "PaddedCallsign";
    case Encoding::StationCallsign:
      return "StationCallsign";
    case Encoding::SsidCharacter:
      return "SsidCharacter";
    case Encoding::StationSsid:
      return "StationSsid";
    case Encoding::Text:
      return "Text";
    case Encoding::UpperText:
      return "UpperText";
    case Encoding::Latitude:
      return "Latitude";
    case Encoding::Longitude:
      return "Longitude";
  }
  return "?";  // not reached: the switch names every encoding
}

namespace {

constexpr std::size_t kEndMarkerWidth = 3;  // "END"

// The bytes the encoder owns outside the declarations.
std::vector<ImageMapRow> frameRows() {
  return {
      {kImageSumOffset, kWriteStampOffset - kImageSumOffset, "ImageSum",
       "(sum of bytes " + std::to_string(kSumBegin) + ".." + std::to_string(kSumEnd - 1) + ")", ""},
      {kWriteStampOffset, kVersionOffset - kWriteStampOffset, "UnsignedWord", "(write stamp)", ""},
      {kVersionOffset, kSettingsBegin - kVersionOffset, "Text",
       "(configuration version " + std::string(kConfigVersion) + ")", ""},
      {kEndMarkerOffset, kEndMarkerWidth, "Fixed", "(end marker \"END\")", ""},
      {kSumEnd, kImageSize - kSumEnd, "Zero", "(outside the sum)", ""},
  };
}

}  // namespace

std::vector<ImageMapRow> imageMap() {
  std::vector<ImageMapRow> rows = frameRows();
  for (const Setting& s : allSettings()) {
    if (s.encoding == Encoding::None) continue;
    rows.push_back({static_cast<std::size_t>(s.offset), static_cast<std::size_t>(s.width),
                    std::string(encodingName(s.encoding)), s.name, s.page});
  }
  std::sort(rows.begin(), rows.end(),
            [](const ImageMapRow& a, const ImageMapRow& b) { return a.offset < b.offset; });
  // Whatever lies between two rows is written as zero and read by nothing.
  std::vector<ImageMapRow> whole;
  std::size_t next = 0;
  for (ImageMapRow& row : rows) {
    if (row.offset > next) whole.push_back({next, row.offset - next, "Zero", "(unused)", ""});
    next = std::max(next, row.offset + row.width);
    whole.push_back(std::move(row));
  }
  return whole;
}

std::string imageMapText() {
  std::string out;
  for (const ImageMapRow& row : imageMap())
    out += std::to_string(row.offset) + '\t' + std::to_string(row.width) + '\t' + row.encoding +
           '\t' + row.setting + '\t' + row.tab + '\n';
  return out;
}

std::string imageMapMarkdown() {
  std::string notStored;
  std::size_t stored = 0;
  for (const Setting& s : allSettings()) {
    if (s.encoding != Encoding::None) {
      ++stored;
    } else {
      notStored += (notStored.empty() ? "`" : ", `") + s.name + "` (" + s.page + ")";
    }
  }
  std::string out =
      "# Configuration image map\n\n"
      "Made from the settings declarations by `zorbelctl map --markdown > docs/IMAGE_MAP.md`;\n"
      "a test fails when this file is not what that prints, so do not edit it by hand.\n\n";
  out += "The configuration image is " + std::to_string(kImageSize) + " bytes, sent in " +
         std::to_string(kPageCount) + " pages of " + std::to_string(kPageSize) + ".\n";
  out +=
      "Offsets and widths are in bytes, numbers little-endian, encodings those of "
      "`src/settings/setting.h`.\n";
  out += "Tab is the object name of the page that shows the setting.\n";
  out += std::to_string(stored) + " of the " + std::to_string(allSettings().size()) +
         " settings are stored here; not stored: " + notStored + ".\n\n";
  out +=
      "| Offset | Width | Encoding | Setting | Tab |\n"
      "|---:|---:|---|---|---|\n";
  for (const ImageMapRow& row : imageMap())
    out += "| " + std::to_string(row.offset) + " | " + std::to_string(row.width) + " | " +
           row.encoding + " | " + row.setting + " | " + row.tab + " |\n";
  return out;
}

}  // namespace zorbel::settings
