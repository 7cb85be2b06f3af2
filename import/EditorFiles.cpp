#include "import/EditorFiles.h"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "CommonObjects/IdfStrUtils.h"

std::vector<std::string> ReadEditorFile(const std::string& path) {
  TSearchStringList list;
  list.LoadFromFile(path);
  return list.Lines();
}

void WriteEditorFile(const std::string& path, const std::vector<std::string>& lines) {
  const std::string temp = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("Cannot create file \"" + path + "\"");
    for (const auto& l : lines) out << l << "\r\n";
    out.flush();
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      throw std::runtime_error("Cannot write file \"" + path + "\"");
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    throw std::runtime_error("Cannot write file \"" + path + "\"");
  }
}

std::vector<std::string> SortedIgnoringCase(std::vector<std::string> lines, bool DropCaseDuplicates) {
  std::stable_sort(lines.begin(), lines.end(), LessIgnoringCase);
  if (DropCaseDuplicates)
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const std::string& a, const std::string& b) { return SameTextAscii(a, b); }),
                lines.end());
  return lines;
}
