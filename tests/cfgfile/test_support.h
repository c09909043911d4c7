#pragma once
// A fresh folder per test, whole-file reads and writes, and the golden file.
#include <string>

#include "support/temp_dir.h"

namespace zorbel::cfgfile::test {

using zorbel::test::readFile;
using zorbel::test::TempDir;
using zorbel::test::writeFile;

// A save of the start-up settings, kept beside the tests.
inline std::string goldenStartupFile() {
  return readFile(std::string(CFGFILE_TEST_DATA) + "/startup.cfg");
}

}  // namespace zorbel::cfgfile::test
