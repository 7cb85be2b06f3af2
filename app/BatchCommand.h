#pragma once
// The headless import: `corvane-idf batch BOARD [options]` runs the import dialog without
// widgets, its options given as data.
#include <iosfwd>
#include <string>
#include <vector>

// Exit status: 0 when the error log is empty, 1 when it has lines, 2 for a usage error, a file
// that cannot be read, or a settings store that cannot be read or written.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
std::string BatchUsage();
