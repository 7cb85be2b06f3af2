#pragma once
// The headless import: `corvane-idf batch BOARD [options]` runs the import dialog without
// widgets, its options given as data.
#include <iosfwd>
#include <string>
#include <vector>

// Exit status: 0 when the error log is empty, 1 when it has lines, 2 for a usage error, a file
// that cannot be read, or a settings store that cannot be read or written.
// The run builds the assembly as "Create &Assembly" does; with errIsTerminal the running phase
// and a progress bar are drawn on err.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal = false);
std::string BatchUsage();
