#pragma once
// The power settings of a prefix as a person reads them, one line each: what the lid and
// the buttons do, whether the password is asked for on resume, when the active scheme
// stands by and hibernates on AC and on battery (DC), and whether the screen saver is on.
// Read from the policies as Windows acts on them, not through the program's own codes.
#include "PowerState.h"

#include <string>
#include <vector>

namespace sim {

std::vector<std::string> PowerReport(const PowerState& state, bool screenSaverActive);

} // namespace sim
