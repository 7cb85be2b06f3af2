#pragma once
// Finding library part files: by name in an ordered list of search folders (optionally
// descending depth first into sub-folders, every step written to a log), and the plain
// folder-list look-up. A file that differs from the name asked for only in letter case counts
// as found; an exact match wins.
#include <string>
#include <vector>

#include "CommonObjects/IdfStrUtils.h"

class TPartLibrarySearch {
 public:
  TSearchStringList* Log = nullptr;  // the detail log; nothing is logged without one
  bool SearchSubDirs = false;
  std::string PartExt = ".CV_PRT";
  std::string AssyExt = ".CV_ASM";

  // PartName has no extension and may carry a folder. Tries the part extension, then the
  // assembly extension. LibPath ends with a delimiter, Ext is the extension tried (empty when
  // not found); FoundFile, when given, receives the path of the file as it is on disk.
  bool CheckIfPartExistsExt(const std::string& PartName, const std::vector<std::string>& SearchPathList, bool UseFpXref,
                            std::string& LibPath, std::string& Ext, std::string* FoundFile = nullptr);
  bool InPartLibSearchPath(const std::string& FileName, std::string& Dir,
                           const std::vector<std::string>& SearchPathList, std::string* FoundFile = nullptr);
  bool FileExistsRecursive(const std::string& FileNameNoPath, const std::string& BaseDir, bool Recurse,
                           std::string& Dir, std::string* FoundFile = nullptr);

 private:
  bool Recursive(const std::string& name, const std::string& baseDir, bool recurse, std::string& dir,
                 std::string* found, std::vector<std::pair<unsigned long, unsigned long>>& visited);
  void Note(const std::string& line) {
    if (Log) Log->Add(line);
  }
};

// The folders joined by ";".
std::string BuildDirListStr(const std::vector<std::string>& DirList);
// FileName + Ext as given (absolute, or relative to the current folder), else in each folder of
// the list in order. Dir gets the folder of the file found, with its delimiter; FoundFile, when
// given, the file's path as it is on disk.
bool FileExistsInDirList(const std::string& FileName, const std::string& Ext, const std::vector<std::string>& DirList,
                         std::string& Dir, std::string* FoundFile = nullptr);
