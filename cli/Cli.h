#pragma once

#include <iosfwd>

// The command-line front end of the calculation core. Parses the arguments,
// runs one command and writes its answer to `out`, complaints to `err`.
// Returns the process exit code: 0 on success (and for --help), 1 on bad
// arguments, a rejected formula or an evaluation fault. Never throws.
int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
