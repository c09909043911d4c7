#pragma once
// Bytes that came from a device, an image or a file, made safe for a terminal.
#include <string>
#include <string_view>

namespace zorbel {

// Every C0 and C1 control byte (0x00-0x1F, 0x7F-0x9F) becomes \xHH (upper-case
// hex) and a backslash becomes \\; every other byte stays as it is. No text can
// then start a line, move the cursor or forge a column of its own, and the
// original bytes can always be told back from what was printed.
std::string escapedForTerminal(std::string_view bytes);

}  // namespace zorbel
