#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

TTempDir::TTempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "idftest-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  fPath = tmpl + "/";
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(fPath, ec);
}

std::string TTempDir::Write(const std::string& name, const std::string& content) const {
  const std::string p = fPath + name;
  std::filesystem::create_directories(std::filesystem::path(p).parent_path());
  std::ofstream out(p, std::ios::binary);
  out << content;
  return p;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string SharedIdfDir() {
  const std::string dir = IDF_SHARED_TESTDATA;
  return std::filesystem::is_directory(dir) ? dir + "/" : std::string();
}

std::string SamplesDir() { return std::string(IDF_SAMPLES_DIR) + "/"; }
