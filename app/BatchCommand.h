#pragma once
// The headless import: `corvane-idf batch BOARD [options]` runs the import dialog without
// widgets, its options given as data.
#include <iosfwd>
#include <string>
#include <vector>

// Exit status: 0 when the error log holds no errors (lines beginning with "Warning" are none), 1
// when it does (a build that did not start included), 2 for a usage error, a board or library
// file that cannot be read, or a settings store that is refused.
// The run builds the assembly as "Create &Assembly" does; with errIsTerminal the running phase
// and a progress bar are drawn on err.
int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal = false);
std::string BatchUsage();
