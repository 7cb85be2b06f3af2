// Logs, progress, stop and the closing advice.
#include <csignal>

#include "tests/support/DialogTestSupport.h"

TEST_F(DialogTest, ReadErrorsOpenTheErrorLogWithTheReadingWarning) {
  Write("bad.emn", ".HEADER\nLIBRARY_FILE 3.0 x 2026/01/01 1\n.END_HEADER\n");
  auto d = ShowWith(Folder() + "bad.emn");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Errors were found while reading the input files\n\rGo to the Status tab for details.");
  EXPECT_EQ(scripted->CallsOf("MessageDlg")[0].MsgKind, platform::TMsgDlgType::mtWarning);
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->StatusTabSheet);
  EXPECT_TRUE(d->ErrorRadioButton.Checked());
  EXPECT_EQ(d->LogMemo.Lines, d->FImportIDF->ErrorLog.Lines());
  EXPECT_EQ(d->Height, 390);
  EXPECT_EQ(d->ModalResult, platform::mrNone);
  EXPECT_FALSE(d->ImportButton.Enabled);  // nothing to build from
}

TEST_F(DialogTest, AnImportWithoutErrorsEndsOnTheSummary) {
  auto d = ShowWith(WriteSample());
  d->ProgressInit(2);
  d->AdviseErrorsOrCloseExt(false, false);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Import Completed Without Errors");
  EXPECT_EQ(scripted->CallsOf("MessageDlg")[0].MsgKind, platform::TMsgDlgType::mtInformation);
  EXPECT_TRUE(d->PageControl1.Visible);
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->StatusTabSheet);
  EXPECT_TRUE(d->SummaryRadioButton.Checked());
  EXPECT_EQ(d->LogMemo.Lines, d->FImportIDF->SummaryLog.Lines());
  EXPECT_EQ(d->ModalResult, platform::mrNone);

  scripted->Calls.clear();
  d->FImportIDF->ReportErrors("Failed to add : X");
  d->AdviseErrorsOrCloseExt(false, false);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "There were errors during the Import process.\n\rGo to the Status tab for details.");
  EXPECT_TRUE(d->ErrorRadioButton.Checked());
  EXPECT_EQ(d->LogMemo.Lines, std::vector<std::string>{"Failed to add : X"});
}

TEST_F(DialogTest, TitleAndProgressProtocol) {
  auto d = ShowWith(WriteSample());
  const std::string title = d->FStaticCaption;
  d->UpDateCaption("Placing Parts");
  EXPECT_EQ(d->Caption, title + "  -  Placing Parts . . .");
  d->UpDateCaption("");
  EXPECT_EQ(d->Caption, title);

  d->ProgressInit(3);
  EXPECT_EQ(d->Height, 58);
  EXPECT_FALSE(d->PageControl1.Visible);
  EXPECT_TRUE(d->ProgressBar1.Visible);
  std::vector<int> positions{d->ProgressBar1.Position};
  for (int i = 0; i < 3; ++i) {
    d->UpDateCaption("Extruding: RES_0805");
    d->ProgressStep();
    positions.push_back(d->ProgressBar1.Position);
  }
  d->ProgressReset();
  positions.push_back(d->ProgressBar1.Position);
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 0}));
  EXPECT_EQ(d->Caption, title);
  EXPECT_FALSE(d->PageControl1.Visible);  // until the closing advice
}

TEST_F(DialogTest, StopIsDeliveredByThePumpAndEndsTheWork) {
  auto d = ShowWith(WriteSample());
  d->StopButton.Visible = true;
  int pumped = 0;
  scripted->OnProcessMessages = [&] {
    if (++pumped == 2) d->StopButton.Click();
  };
  int done = 0;
  for (int item = 0; item < 5; ++item) {
    if (d->StopCheck()) break;
    ++done;
  }
  EXPECT_EQ(done, 1);
  EXPECT_TRUE(d->MainStopCheck());
  const auto& errors = d->FImportIDF->ErrorLog;
  ASSERT_EQ(errors.Count(), 2);
  for (const auto& l : errors.Lines()) EXPECT_EQ(l.rfind("Received Stop Request : ", 0), 0u) << l;
  EXPECT_EQ(Messages().back(), "There were errors during the Import process.\n\rGo to the Status tab for details.");
  EXPECT_FALSE(d->fStopRequest);
  EXPECT_FALSE(d->StopButton.Visible);
  EXPECT_FALSE(d->StopCheck());
}

TEST_F(DialogTest, CtrlCOnTheConsoleIsTheStopButton) {
  auto d = ShowWith(WriteSample());
  auto console = std::make_shared<platform::TConsolePlatform>();
  console->OnInterrupt = [&] { d->StopButtonClick(); };
  platform::SetServices(console);
  platform::InstallInterruptHandler();
  EXPECT_FALSE(d->StopCheck());
  std::raise(SIGINT);
  EXPECT_TRUE(d->StopCheck());
  EXPECT_TRUE(d->StopCheck());  // stays requested until the advice
  EXPECT_EQ(d->FImportIDF->ErrorLog.Count(), 2);
  std::signal(SIGINT, SIG_DFL);
}

TEST_F(DialogTest, DoubleClickOnAnErrorLineOpensItsFile) {
  auto d = ShowWith(WriteSample());
  d->PageControl1.SelectPage(&d->StatusTabSheet);
  d->LogMemo.SelText = "PLACEMENT> Line:12";
  d->DetailRadioButton.Click();
  d->LogMemo.DblClick();
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->StatusTabSheet);  // only from the error log

  d->ErrorRadioButton.Click();
  d->LogMemo.SelText = "PLACEMENT> Line:12";
  d->LogMemo.DblClick();
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->BoardTabSheet);
  EXPECT_EQ(d->BrdMemo.Lines, d->FImportIDF->BoardStrings.Lines());

  d->PageControl1.SelectPage(&d->StatusTabSheet);
  d->ErrorRadioButton.Click();
  d->LogMemo.SelText = "electrical>Line:3";
  d->LogMemo.DblClick();
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->LibraryTabSheet);
  EXPECT_FALSE(d->LibMemo.Lines.empty());

  d->PageControl1.SelectPage(&d->StatusTabSheet);
  d->ErrorRadioButton.Click();
  d->LogMemo.SelText = "PLACEMENT";
  d->LogMemo.DblClick();
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->StatusTabSheet);
}

TEST_F(DialogTest, TheStatusTabShowsTheChosenLog) {
  auto d = ShowWith(WriteSample());
  d->PageControl1.SelectPage(&d->StatusTabSheet);
  EXPECT_TRUE(d->SummaryRadioButton.Checked());
  EXPECT_EQ(d->LogMemo.Lines, d->FImportIDF->SummaryLog.Lines());
  d->DetailRadioButton.Click();
  EXPECT_EQ(d->LogMemo.Lines, d->FImportIDF->VerifyLog.Lines());
  d->LogMemo.Lines = {"edited"};
  d->PageControl1.SelectPage(&d->TabSheet3);
  d->PageControl1.SelectPage(&d->StatusTabSheet);
  EXPECT_EQ(d->LogMemo.Lines, d->FImportIDF->VerifyLog.Lines());  // every display replaces edits
}

TEST(IdfTimes, DurationsWithoutLeadingZeros) {
  TIdfTimes t;
  double now = 0.5;
  t.Clock = [&] { return now; };
  t.SetProgressTime(true);
  now += (3600 + 2 * 60 + 3) / 86400.0;
  t.SetProgressTime(false);
  EXPECT_EQ(t.GetProgressTime(), "1:2:3");
  t.SetTime(true);
  now += 125 / 86400.0;
  t.SetTime(false);
  EXPECT_EQ(t.GetElapsedTime(), "Time elapsed : 0:2:5");
  // Over midnight.
  now = 23.5 / 24;
  t.SetTime(true);
  now = 0.5 / 24;
  t.SetTime(false);
  EXPECT_EQ(t.GetElapsedTime(), "Time elapsed : 1:0:0");
}
