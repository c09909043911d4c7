// The image map: every byte once, and docs/IMAGE_MAP.md what the code prints.
#include "settings/image_map.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "settings/image.h"

namespace zorbel::settings {
namespace {

TEST(ImageMap, CoversEveryByteOnceInOrder) {
  std::size_t next = 0;
  for (const ImageMapRow& row : imageMap()) {
    EXPECT_EQ(row.offset, next) << row.setting;
    EXPECT_GT(row.width, 0u) << row.setting;
    next = row.offset + row.width;
  }
  EXPECT_EQ(next, kImageSize);
}

TEST(ImageMap, TheDocumentIsCurrent) {
  std::ifstream file(std::string(ZORBEL_SOURCE_DIR) + "/docs/IMAGE_MAP.md", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  EXPECT_TRUE(text.str() == imageMapMarkdown())
      << "docs/IMAGE_MAP.md is out of date; make it again with\n"
         "  build/tools/zorbelctl/zorbelctl map --markdown > docs/IMAGE_MAP.md";
}

}  // namespace
}  // namespace zorbel::settings
