#pragma once
// The four boxes of an IP address typed as one: "." or a fourth digit moves
// on to the next box, Backspace in an empty box goes back to the one before.
// What each box holds, and so each stored part, is what the user typed.
#include <vector>

class QLineEdit;

namespace zorbel::app {

// `parts` are the address's boxes, first to last.
void chainAddressBoxes(const std::vector<QLineEdit*>& parts);

}  // namespace zorbel::app
