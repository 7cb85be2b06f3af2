#pragma once
// Temporary folders and files for tests; each fixture gets its own folder, removed afterwards.
#include <string>

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::string& Path() const { return fPath; }  // with trailing "/"
  std::string Write(const std::string& name, const std::string& content) const;

 private:
  std::string fPath;
};

std::string ReadFileBytes(const std::string& path);
// The folder of the real IDF files from other tools; empty when it is not there.
std::string SharedIdfDir();
std::string SamplesDir();
