#pragma once
// Small platform helpers: the program's own file, its version and date, the temporary folder
// and the folder picker.
#include <ctime>
#include <string>

// Full path of the running program's file.
std::string ModuleFileName();
// The program's path; with FileNameOnly the folder only, with its trailing separator.
std::string GetDLLPath(bool FileNameOnly);
// "Temp", else TMPDIR, else /tmp; always with a trailing separator.
std::string GetWindowsTempFolder();
// The platform's folder picker; empty on cancel or when the picker fails.
std::string SelectFolderAlt(const std::string& aCaption, const std::string& aStartFolder);

// The program's version as built (major.minor.release.build), empty when none was compiled in.
std::string BuiltVersion();
// major.minor.release of a four-part version text; empty for an empty one.
std::string FileVersionString(const std::string& version);
std::string FileVersionString();
// Modification time of the program's file; false when it cannot be read.
bool GetModuleFileDate(std::time_t& when);
// A date as the regional short date; the zero date (30 December 1899) when absent.
std::string ShortDateText(const std::time_t* when);
