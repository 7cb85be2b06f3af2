#include "CommonObjects/PartLibrarySearch.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include "CommonObjects/FileUtils.h"

namespace {
std::string WithDelimiter(const std::string& folder) {
  if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder;
  return folder + "/";
}
}  // namespace

bool TPartLibrarySearch::CheckIfPartExistsExt(const std::string& PartName,
                                              const std::vector<std::string>& SearchPathList, bool /*UseFpXref*/,
                                              std::string& LibPath, std::string& Ext, std::string* FoundFile) {
  Ext.clear();
  std::string dir;
  const std::string nameDir = ExtractForeignDir(PartName);
  // A name with a folder comes from a cross-reference entry: only that folder counts.
  auto existsWith = [&](const std::string& e) {
    if (nameDir.empty()) return InPartLibSearchPath(PartName + e, dir, SearchPathList, FoundFile);
    const std::string found = FindFileIgnoringCase(PartName + e);
    if (found.empty()) return false;
    if (FoundFile) *FoundFile = found;
    return true;
  };
  bool ok = false;
  if (existsWith(PartExt)) {
    Ext = PartExt;
    ok = true;
  } else if (existsWith(AssyExt)) {
    Ext = AssyExt;
    ok = true;
  }
  LibPath = WithDelimiter(nameDir.empty() ? dir : nameDir);
  return ok;
}

bool TPartLibrarySearch::InPartLibSearchPath(const std::string& FileName, std::string& Dir,
                                             const std::vector<std::string>& SearchPathList, std::string* FoundFile) {
  for (const std::string& path : SearchPathList)
    if (FileExistsRecursive(FileName, IncludeTrailingPathDelimiter(path), SearchSubDirs, Dir, FoundFile)) return true;
  return false;
}

bool TPartLibrarySearch::FileExistsRecursive(const std::string& FileNameNoPath, const std::string& BaseDir,
                                             bool Recurse, std::string& Dir, std::string* FoundFile) {
  std::vector<std::pair<unsigned long, unsigned long>> visited;
  return Recursive(FileNameNoPath, BaseDir, Recurse, Dir, FoundFile, visited);
}

bool TPartLibrarySearch::Recursive(const std::string& name, const std::string& baseDirIn, bool recurse,
                                   std::string& dir, std::string* found,
                                   std::vector<std::pair<unsigned long, unsigned long>>& visited) {
  const std::string baseDir = IncludeTrailingPathDelimiter(baseDirIn);
  Note("Checking for : " + name + " in : " + baseDir);
  if (const std::string f = name.empty() ? std::string() : FindFileIgnoringCase(baseDir + name); !f.empty()) {
    dir = baseDir;
    if (found) *found = f;
    Note("Found : " + f);
    return true;
  }
  if (!recurse) return false;
  DIR* d = ::opendir(baseDir.c_str());
  if (!d) {
    Note("Error in File Exists check for : " + baseDir + ", Error Code : " + std::to_string(errno));
    return false;
  }
  // A folder linked into itself must not send the search round for ever.
  struct stat st {};
  if (::stat(baseDir.c_str(), &st) == 0) {
    const std::pair<unsigned long, unsigned long> id{static_cast<unsigned long>(st.st_dev),
                                                     static_cast<unsigned long>(st.st_ino)};
    if (std::find(visited.begin(), visited.end(), id) != visited.end()) {
      ::closedir(d);
      return false;
    }
    visited.push_back(id);
  }
  std::vector<std::string> subDirs;
  while (dirent* e = ::readdir(d)) {
    const std::string entry = e->d_name;
    if (entry.empty() || entry[0] == '.') continue;  // ".", ".." and hidden entries
    if (DirectoryExists(baseDir + entry)) subDirs.push_back(entry);
  }
  ::closedir(d);
  // Directory order differs between file systems; name order makes the search repeatable.
  std::sort(subDirs.begin(), subDirs.end(), LessIgnoringCase);
  for (const std::string& sub : subDirs) {
    Note("Found directory : " + sub);
    if (Recursive(name, baseDir + sub, true, dir, found, visited)) return true;
  }
  return false;
}

std::string BuildDirListStr(const std::vector<std::string>& DirList) {
  std::string out;
  for (std::size_t i = 0; i < DirList.size(); ++i) out += (i ? ";" : "") + DirList[i];
  return out;
}

bool FileExistsInDirList(const std::string& FileName, const std::string& Ext, const std::vector<std::string>& DirList,
                         std::string& Dir, std::string* FoundFile) {
  const std::string name = FileName + Ext;
  std::string found = FindFileIgnoringCase(name);
  if (found.empty()) {
    const std::string joined = BuildDirListStr(DirList);
    std::size_t start = 0;
    while (found.empty() && start <= joined.size()) {
      std::size_t semi = joined.find(';', start);
      if (semi == std::string::npos) semi = joined.size();
      const std::string folder = joined.substr(start, semi - start);
      if (!folder.empty()) found = FindFileIgnoringCase(IncludeTrailingPathDelimiter(folder) + name);
      start = semi + 1;
    }
  }
  if (found.empty()) return false;
  Dir = ExtractFileDir(found);
  if (Dir.empty()) {
    char buf[4096];
    Dir = ::getcwd(buf, sizeof buf) ? IncludeTrailingPathDelimiter(buf) : std::string("./");
  }
  if (FoundFile) *FoundFile = Dir + ExtractFileName(found);
  return true;
}
