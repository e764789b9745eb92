#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace fee {

// The command-line companion: check, normalize and compare a data file.
// Returns the exit status: 0 success, 1 bad data, number or overflow, 2 usage.
// Nothing reaches `out` unless the command succeeds.
int run_cli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace fee
