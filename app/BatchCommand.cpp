#include "BatchCommand.h"

#include <memory>
#include <ostream>

#include "FileUtils.h"
#include "IDFfile.h"

namespace {
struct TBatchOptions {
  std::string Board;
  std::string Library;
  std::string Log = "summary";
};

class EUsage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

TBatchOptions ParseArgs(const std::vector<std::string>& args) {
  TBatchOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const std::string& opt) -> std::string {
      if (i + 1 >= args.size()) throw EUsage("option " + opt + " needs a value");
      return args[++i];
    };
    if (a == "--library") {
      o.Library = value(a);
    } else if (a == "--log") {
      o.Log = value(a);
      if (o.Log != "summary" && o.Log != "detail" && o.Log != "error" && o.Log != "all")
        throw EUsage("--log takes summary, detail, error or all, not '" + o.Log + "'");
    } else if (!a.empty() && a[0] == '-') {
      throw EUsage("unknown option '" + a + "'");
    } else if (o.Board.empty()) {
      o.Board = a;
    } else {
      throw EUsage("more than one board file given ('" + a + "')");
    }
  }
  if (o.Board.empty()) throw EUsage("no board file given");
  return o;
}

void PrintLog(std::ostream& out, const std::string& heading, const TSearchStringList& log) {
  out << "---- " << heading << " ----\n";
  for (const auto& l : log.Lines()) out << l << '\n';
}
}  // namespace

std::string BatchUsage() {
  return "usage: corvane-idf batch BOARD [--library FILE] [--log summary|detail|error|all]";
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  TBatchOptions o;
  try {
    o = ParseArgs(args);
  } catch (const EUsage& e) {
    err << "corvane-idf batch: " << e.what() << "\n" << BatchUsage() << "\n";
    return 2;
  }
  if (!FileExists(o.Board)) {
    err << "corvane-idf batch: cannot read board file '" << o.Board << "'\n";
    return 2;
  }
  if (!o.Library.empty() && !FileExists(o.Library)) {
    err << "corvane-idf batch: cannot read library file '" << o.Library << "'\n";
    return 2;
  }

  auto idf = std::make_unique<TIDFfile>();
  idf->OutputUnits = utCM;
  idf->IgnoreRegionalDecPoint = true;
  idf->SetDecimalSep();
  try {
    if (o.Library.empty()) {
      idf->OpenIDFfilesNoDialogue(o.Board);
    } else {
      idf->BoardFile = TFilePath::Split(o.Board);
      idf->LibFile = TFilePath::Split(o.Library);
      idf->LoadFiles();
    }
  } catch (const EListIndexError& e) {
    // A file that holds nothing but blanks and comments.
    idf->ReportException("LoadFiles", std::string("no IDF data to read: ") + e.what());
  } catch (const std::exception& e) {
    err << "corvane-idf batch: " << e.what() << "\n";
    return 2;
  }

  if (o.Log == "summary" || o.Log == "all") PrintLog(out, "Summary", idf->SummaryLog);
  if (o.Log == "detail" || o.Log == "all") PrintLog(out, "Detail", idf->VerifyLog);
  if (o.Log == "all") PrintLog(out, "Warning", idf->WarningLog);
  if (o.Log == "error" || !idf->ErrorLog.Empty()) PrintLog(out, "Error", idf->ErrorLog);
  return idf->ErrorLog.Empty() ? 0 : 1;
}
