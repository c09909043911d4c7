#pragma once
// A fault in the program itself, which no input can cause: a setting name the
// code spells wrong, a declaration that names a control without a file key. It
// ends the program at once, in every build, with a line on standard error that
// names what was wrong, instead of reading on with an empty value.
#include <string_view>

namespace zorbel {

// Writes "zorbel: programming error: WHAT" to standard error and aborts.
[[noreturn]] void programmingError(std::string_view what);

}  // namespace zorbel
