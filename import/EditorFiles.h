#pragma once
// Text files of the two editors (search path lists and cross-reference files).
#include <string>
#include <vector>

// The lines of a text file (a byte-order mark selects the encoding). Raises std::runtime_error
// when the file cannot be read.
std::vector<std::string> ReadEditorFile(const std::string& path);
// Writes the lines, each ended by CR LF, through a temporary file that replaces the target only
// when complete, so a failed write leaves the old file as it was. Raises std::runtime_error.
void WriteEditorFile(const std::string& path, const std::vector<std::string>& lines);
// Sorted ignoring ASCII case; with DropCaseDuplicates, of lines equal but for case the first stays.
std::vector<std::string> SortedIgnoringCase(std::vector<std::string> lines, bool DropCaseDuplicates);
