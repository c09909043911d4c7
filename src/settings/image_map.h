#pragma once
// The configuration image as one table, the way a radio's memory map is read:
// every byte range with what it holds and how, made from the declarations and
// the image's frame, so it is never out of step with the encoder.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "setting.h"

namespace zorbel::settings {

struct ImageMapRow {
  std::size_t offset = 0;
  std::size_t width = 0;
  std::string encoding;  // the setting's Encoding by its name, or the frame part's form
  std::string setting;   // the control's name; a frame part or unused bytes in parentheses
  std::string tab;       // the page that shows the setting; empty for the rest
};

// Every byte of the image exactly once, by offset: the frame, each stored
// setting and each run of unused bytes between them.
std::vector<ImageMapRow> imageMap();

// The declarations' Encoding by the name the declarations spell it with.
std::string_view encodingName(Encoding encoding);

// The map as lines OFFSET<TAB>WIDTH<TAB>ENCODING<TAB>SETTING<TAB>TAB.
std::string imageMapText();

// The map as the Markdown document kept in docs/IMAGE_MAP.md.
std::string imageMapMarkdown();

}  // namespace zorbel::settings
