// The whole output of `batch BOARD --log all` for the bundled samples, compared with the files in
// tests/data/expected/. IDF_UPDATE_GOLDEN=1 (tools/update-golden.sh) writes them anew instead.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/app/BatchFixture.h"

namespace {
void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
    text.replace(p, from.size(), to);
}

// What differs from run to run: the import date, the timings and the folders of this checkout and
// of the test.
std::string Masked(const TBatchRun& r, const std::string& assemblyDir) {
  std::string text =
      r.Out + "==== standard error ====\n" + r.Err + "==== exit status " + std::to_string(r.Code) + " ====\n";
  ReplaceAll(text, assemblyDir, "<ASSEMBLY-DIR>/");
  ReplaceAll(text, SamplesDir(), "<SAMPLES>/");
  std::istringstream in(text);
  std::string masked;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("IDF Import Log ", 0) == 0) {
      line = line.substr(0, line.find_last_of('\t') + 1) + "<DATE>";
    } else if (line.rfind("Time ", 0) == 0 && line.find(" : ") != std::string::npos) {
      line = line.substr(0, line.rfind(" : ") + 3) + "<H:M:S>";
    }
    masked += line + '\n';
  }
  return masked;
}

bool Updating() {
  const char* v = std::getenv("IDF_UPDATE_GOLDEN");
  return v && std::string(v) == "1";
}
}  // namespace

class GoldenOutput : public BatchTest {
 protected:
  void Check(const std::string& name) {
#ifndef IDF_TESTS_WITH_OCCT
    GTEST_SKIP() << "the expected output is that of a run with the OpenCASCADE host";
#endif
    const std::string actual = Masked(Batch({Sample(name), "--log", "all"}), AssemblyDir());
    const std::string expectedFile = std::string(IDF_EXPECTED_DIR) + "/" + name + ".batch-log-all.txt";
    if (Updating()) {
      std::ofstream(expectedFile, std::ios::binary) << actual;
      GTEST_SKIP() << "wrote " << expectedFile;
    }
    std::ifstream in(expectedFile, std::ios::binary);
    ASSERT_TRUE(in) << expectedFile << " is missing; tools/update-golden.sh writes it";
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(actual, expected.str()) << "if the change is meant, run tools/update-golden.sh and review the diff";
  }
};

TEST_F(GoldenOutput, SampleIdf3Millimetres) { Check("sample"); }

TEST_F(GoldenOutput, SampleIdf2Thou) { Check("sample_v2"); }
