#pragma once
// File-system helpers with the conventions of this program: directories end with "/", and a
// derived path also matches a file that differs only in letter case (an exact match wins).
#include <cstddef>
#include <string>

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The existing file at path, or one differing only in ASCII letter case; empty when none.
std::string FindFileIgnoringCase(const std::string& path);

// Paths of this machine: "/" is the only separator.
std::string ExtractFileDir(const std::string& path);   // with trailing "/", empty when none
std::string ExtractFileName(const std::string& path);  // the part after the last separator
std::string ExtractFileExt(const std::string& path);   // from the last "." of the name, with it
std::string IncludeTrailingPathDelimiter(const std::string& path);

// A name from an IDF file made fit to be a file name: control characters and "/" become "_",
// an empty name, "." and ".." become "Unnamed", and a name longer than MaxBytes is cut and
// ends in a hash of the whole name, so two long names never share a file.
std::string SafeFileName(const std::string& name, std::size_t MaxBytes = 200);
// Control characters of a name as \xNN, for printing it on a terminal.
std::string EscapeControls(const std::string& text);
// The folder to open, lock or sync: no trailing "/", "." for a bare name, "/" at the root.
std::string ExtractFileFolder(const std::string& path);

// Names written by another system (IDF headers and geometry names, cross-reference entries):
// "\" separates as "/" does, and so does the colon of a leading drive letter ("C:").
std::string ExtractForeignDir(const std::string& name);   // with its separator, empty when none
std::string ExtractForeignName(const std::string& name);  // the part after the last separator
