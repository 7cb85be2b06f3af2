// The logs on the Status tab, the title and progress protocol, the stop request and the
// closing advice.
#include <cmath>
#include <ctime>

#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

using platform::Services;
using platform::TMsgDlgType;

double TimeOfDayNow() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return (t.tm_hour * 3600.0 + t.tm_min * 60.0 + t.tm_sec) / 86400.0;
}

std::string FormatDayFraction(double days) {
  if (days < 0) days += 1.0;
  long total = std::lround(days * 86400.0);
  if (total < 0) total = 0;
  return std::to_string(total / 3600) + ":" + std::to_string(total / 60 % 60) + ":" + std::to_string(total % 60);
}

void TIdfImportFormV4_XE2::UpDateCaption(const std::string& ProgStr) {
  Caption = ProgStr.empty() ? FStaticCaption : FStaticCaption + "  -  " + ProgStr + " . . .";
  if (OnProgressChange) OnProgressChange();
}

void TIdfImportFormV4_XE2::ProgressInit(int Max) {
  Height = 58;  // only the bar and the Stop button stay in view
  ProgressBar1.Visible = true;
  ProgressBar1.Max = Max;
  ProgressBar1.Min = 0;
  ProgressBar1.Position = 0;
  ProgressBar1.Step = 1;
  PageControl1.Visible = false;
  if (OnProgressChange) OnProgressChange();
}

void TIdfImportFormV4_XE2::ProgressStep() {
  ProgressBar1.StepIt();
  if (OnProgressChange) OnProgressChange();
}

void TIdfImportFormV4_XE2::ProgressReset() {
  ProgressBar1.Position = 0;
  UpDateCaption("");
}

bool TIdfImportFormV4_XE2::StopCheck() {
  // The Stop click reaches us only through the event pump while the work holds the thread.
  Services().ProcessMessages();
  if (!fStopRequest) return false;
  FImportIDF->ErrorLog.Add("Received Stop Request : " + platform::RegionalTimeText());
  return true;
}

bool TIdfImportFormV4_XE2::MainStopCheck() {
  if (!StopCheck()) return false;
  AdviseErrorsOrCloseExt(false, false);
  return true;
}

void TIdfImportFormV4_XE2::ShowStatusLog() {
  Height = FLogPageHeight;
  if (!SummaryRadioButton.Checked() && !DetailRadioButton.Checked() && !ErrorRadioButton.Checked())
    SummaryRadioButton.SetChecked(true);
  const TSearchStringList& log = ErrorRadioButton.Checked()    ? FImportIDF->ErrorLog
                                 : DetailRadioButton.Checked() ? FImportIDF->VerifyLog
                                                               : FImportIDF->SummaryLog;
  LogMemo.Lines = log.Lines();
}

// The texts of the Update variant are never used: every caller passes false.
void TIdfImportFormV4_XE2::AdviseErrorsOrCloseExt(bool BeforeImport, bool /*Update*/) {
  UpDateControls();
  StopButton.Visible = false;
  fStopRequest = false;
  ModalResult = platform::mrNone;
  const bool noErrors = FImportIDF->ErrorLog.Empty();
  if (noErrors && BeforeImport) return;
  SummaryRadioButton.SetChecked(true);
  Height = FLogPageHeight;
  PageControl1.Visible = true;
  PageControl1.SetActivePage(&StatusTabSheet);  // shows the summary log
  if (noErrors) {
    Services().MessageDlg("Import Completed Without Errors", TMsgDlgType::mtInformation, platform::mbOK);
    return;
  }
  ErrorRadioButton.SetChecked(true);
  ShowStatusLog();
  const std::string first =
      BeforeImport ? "Errors were found while reading the input files" : "There were errors during the Import process.";
  Services().MessageDlg(first + "\n\r" + "Go to the Status tab for details.", TMsgDlgType::mtWarning, platform::mbOK);
}

void TIdfImportFormV4_XE2::LogMemoDblClick() {
  if (!ErrorRadioButton.Checked()) return;
  const std::string sel = LogMemo.SelText;
  if (sel.find("Line:") == std::string::npos) return;
  const std::size_t gt = sel.find('>');
  const std::string name = UpperCase(gt == std::string::npos ? sel : sel.substr(0, gt));
  controls::TTabSheet* page = (name == "ELECTRICAL" || name == "MECHANICAL") ? &LibraryTabSheet : &BoardTabSheet;
  PageControl1.SetActivePage(page);
  ApplyPageHeight(page);
}
