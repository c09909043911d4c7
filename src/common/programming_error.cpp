#include "programming_error.h"

#include <cstdio>
#include <cstdlib>

namespace zorbel {

void programmingError(std::string_view what) {
  std::fprintf(stderr, "zorbel: programming error: %.*s\n", static_cast<int>(what.size()),
               what.data());
  std::fflush(stderr);
  std::abort();
}

}  // namespace zorbel
