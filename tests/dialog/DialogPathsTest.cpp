// File names, folders and the vault option.
#include "tests/support/DialogTestSupport.h"

TEST_F(DialogTest, TheAssemblyFolderMustBeAbsolute) {
  auto d = ShowWith(WriteSample());
  d->AssemblyPathEdit.SetText("relative/out/");
  d->ImportButton.Click();
  EXPECT_FALSE(d->fOkToContinue);
  EXPECT_EQ(d->ModalResult, platform::mrNone);  // the dialog stays open
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "No Drive specified in Assembly field");
  EXPECT_EQ(scripted->CallsOf("MessageDlg")[0].MsgKind, platform::TMsgDlgType::mtError);
  EXPECT_TRUE(medium->Values(store->RegDir()).empty());  // nothing saved
  EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(DialogTest, ImportCreatesOneMissingFolderLevelAndTheAutoPartsFolder) {
  auto d = ShowWith(WriteSample());
  d->AssemblyPathEdit.SetText(Folder() + "out");
  d->AssemblyPathEdit.Exit();
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder() + "out/");
  d->ImportButton.Click();
  EXPECT_TRUE(d->fOkToContinue);
  // The build ran and ended with the closing advice, which keeps the dialog open.
  EXPECT_EQ(d->ModalResult, platform::mrNone);
  EXPECT_TRUE(fs::is_directory(dir / "out"));
  EXPECT_EQ(d->FCreatedPartsPath, Folder() + "out/sampleAutoParts/");
  EXPECT_TRUE(fs::is_directory(dir / "out" / "sampleAutoParts"));
  EXPECT_EQ(d->FAssemblyFilename, Folder() + "out/sample.CV_ASM");
  EXPECT_FALSE(d->StopButton.Visible);
  EXPECT_EQ(store->GetStringFromRegistry("ImportAssemblyPath"), Folder() + "out/");
  EXPECT_EQ(store->GetStringFromRegistry("WindowsFileSystemAssemblyFolder"), Folder() + "out/");

  // Two missing levels: no folder, no build, and no message.
  scripted->Calls.clear();
  d->AssemblyPathEdit.SetText(Folder() + "a/b/");
  d->ImportButton.Click();
  EXPECT_FALSE(d->fOkToContinue);
  EXPECT_FALSE(fs::exists(dir / "a"));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(DialogTest, AnEmptyAssemblyFieldStaysEmptyOnLeaving) {
  auto d = ShowWith(WriteSample());
  d->AssemblyPathEdit.SetText("");
  d->AssemblyPathEdit.Exit();
  EXPECT_EQ(d->AssemblyPathEdit.Text(), "");
  d->ImportButton.Click();
  EXPECT_FALSE(d->fOkToContinue);
  EXPECT_EQ(Messages().back(), "No Drive specified in Assembly field");
}

TEST_F(DialogTest, AnExistingAssemblyOffersAnUpdate) {
  const std::string board = WriteSample();
  fs::create_directories(dir / "asm");
  Write("asm/sample.CV_ASM", "x");
  auto d = ShowWith<TIdfImportFormV4_XE2>(board);
  EXPECT_FALSE(d->UpdateButton.Visible);
  scripted->FolderAnswers.push_back(Folder() + "asm");
  d->AssemblyPathEdit.DblClick();
  auto pick = scripted->CallsOf("SelectFolder");
  ASSERT_EQ(pick.size(), 1u);
  EXPECT_EQ(pick[0].Text, "Browse to Assembly Directory");
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder() + "asm/");
  EXPECT_TRUE(d->UpdateButton.Visible);
  d->UpdateButton.Click();
  EXPECT_TRUE(d->fOkToContinue);
  EXPECT_EQ(d->ModalResult, platform::mrNone);  // updating does not close the dialog

  // The host's folder button hides the offer again and remembers the folder.
  auto h = ShowWith(board);
  scripted->FolderAnswers.push_back(Folder() + "asm/");
  h->AssemblyPathButton.Click();
  EXPECT_FALSE(h->UpdateButton.Visible);
  EXPECT_EQ(h->fWindowsFileSystemAssemblyFolder, Folder() + "asm/");
}

TEST_F(DialogTest, DoubleClickOnAMissingAssemblyFolderCreatesIt) {
  auto d = ShowWith(WriteSample());
  d->AssemblyPathEdit.SetText(Folder() + "new/");
  d->AssemblyPathEdit.DblClick();  // the picker is cancelled
  EXPECT_TRUE(fs::is_directory(dir / "new"));
  EXPECT_EQ(scripted->CallsOf("SelectFolder")[0].Request.InitialDir, Folder() + "new/");
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder() + "new/");
}

TEST_F(DialogTest, CancellingTheBoardDialogLeavesAnEmptyDialogOpen) {
  auto d = MakeDialog();
  d->ShowModal();  // no answer queued: cancel
  EXPECT_EQ(d->ModalResult, platform::mrNone);
  EXPECT_FALSE(d->ImportButton.Enabled);
  EXPECT_EQ(d->BoardFilePathEdit.Text(), "");
  EXPECT_EQ(d->FBoardNameFromIdfHeader, "Board");
}

TEST_F(DialogTest, ARememberedBoardInAVanishedFolderOpensWithoutStartFolder) {
  store->SetStringInRegistry("ImportBoardFilePath", Folder() + "gone/old.emn");
  auto d = ShowWith(WriteSample());
  auto req = scripted->CallsOf("FileDialog")[0].Request;
  EXPECT_EQ(req.InitialDir, "");
  EXPECT_EQ(scripted->CallsOf("FileDialog")[0].AskedFileName, "old.emn");
  EXPECT_EQ(d->BoardFilePathEdit.Text(), Folder() + "sample.emn");
}

TEST_F(DialogTest, ABadLibraryPickFallsBackToThePreviousLibrary) {
  auto d = ShowWith(WriteSample());
  const int sections = d->FImportIDF->SectionCount();
  Write("bad.emp", ".HEADER\nBOARD_FILE 3.0 x 2026/01/01 1\nb MM\n.END_HEADER\n");
  scripted->FileAnswers.push_back(Folder() + "bad.emp");
  d->LibraryFilePathEdit.DblClick();
  EXPECT_EQ(scripted->CallsOf("FileDialog").back().Text, "Select IDF Library file");
  EXPECT_EQ(d->LibraryFilePathEdit.Text(), Folder() + "sample.emp");
  EXPECT_EQ(d->FImportIDF->SectionCount(), sections);
  EXPECT_GE(d->FImportIDF->ErrorLog.FindFirst("IS NOT A VALID LIBRARY FILE"), 0);  // why the pick failed
  EXPECT_EQ(d->FImportIDF->OutputUnits, utCM);
}

TEST_F(DialogTest, ABadBoardPickReloadsThePreviousFilesOnce) {
  auto d = ShowWith(WriteSample());
  const int sections = d->FImportIDF->SectionCount();
  Write("broken.emn", std::string(kSampleBoard) + ".BOARD_OUTLINE ECAD\n1.6\n");  // no section end
  Write("broken.emp", kSampleLibrary);
  scripted->FileAnswers.push_back(Folder() + "broken.emn");
  d->BoardFilePathButton.Click();
  EXPECT_EQ(scripted->CallsOf("FileDialog").back().Request.InitialDir, Folder());
  EXPECT_EQ(d->BoardFilePathEdit.Text(), Folder() + "sample.emn");
  EXPECT_EQ(d->FImportIDF->SectionCount(), sections);  // not the old sections twice
  EXPECT_FALSE(d->FImportIDF->ErrorLog.Empty());

  // A good pick replaces the file set.
  WriteSample("other");
  scripted->FileAnswers.push_back(Folder() + "other.emn");
  d->BoardFilePathEdit.DblClick();
  EXPECT_EQ(d->BoardFilePathEdit.Text(), Folder() + "other.emn");
  EXPECT_EQ(d->LibraryFilePathEdit.Text(), Folder() + "other.emp");
  EXPECT_TRUE(d->FImportIDF->ErrorLog.Empty());
  EXPECT_EQ(d->FImportIDF->OutputUnits, utCM);
}

TEST_F(DialogTest, TheVaultUsesTheTemporaryFolderAndGivesTheFileSystemFolderBack) {
  fs::create_directories(dir / "tmp");
  ::setenv("Temp", (dir / "tmp").c_str(), 1);
  store->SetBooleanInRegistry("UseCorvaneVault", true);
  store->SetBooleanInRegistry("AssemblyPathFromIdfFiles", true);
  auto d = ShowWith(WriteSample());
  ::unsetenv("Temp");
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder() + "tmp/");
  EXPECT_EQ(d->fVaultAssemblyFolder, Folder() + "tmp/");
  EXPECT_EQ(d->fWindowsFileSystemAssemblyFolder, Folder());
  EXPECT_FALSE(d->AssemblyPathEdit.Enabled);
  EXPECT_TRUE(d->InVaultLabel.Visible);
  EXPECT_FALSE(d->AssemblyDirCb.Checked);
  EXPECT_FALSE(d->AssemblyDirCb.Enabled);

  d->UseVaultCb.Click();
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder());
  EXPECT_TRUE(d->AssemblyPathEdit.Enabled);
  EXPECT_FALSE(d->InVaultLabel.Visible);
  EXPECT_TRUE(d->AssemblyDirCb.Enabled);
  EXPECT_EQ(d->fVaultAssemblyFolder, Folder() + "tmp/");
}

TEST_F(DialogTest, ALaterLoadKeepsTheVaultFolder) {
  fs::create_directories(dir / "tmp");
  ::setenv("Temp", (dir / "tmp").c_str(), 1);
  store->SetBooleanInRegistry("UseCorvaneVault", true);
  store->SetStringInRegistry("ImportAssemblyPath", "/stored/assemblies/");
  auto d = ShowWith(WriteSample());
  ::unsetenv("Temp");
  ASSERT_EQ(d->AssemblyPathEdit.Text(), Folder() + "tmp/");
  Write("lib2.emp", kSampleLibrary);
  scripted->FileAnswers.push_back(Folder() + "lib2.emp");
  d->LibraryFilePathEdit.DblClick();
  EXPECT_EQ(d->LibraryFilePathEdit.Text(), Folder() + "lib2.emp");
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder() + "tmp/");
  EXPECT_FALSE(d->AssemblyPathEdit.Enabled);
}

TEST_F(DialogTest, WithoutARememberedFileSystemFolderTheVaultKeepsTheFoundOne) {
  auto d = ShowWith(WriteSample());
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder());
  EXPECT_TRUE(d->AssemblyPathEdit.Enabled);
  EXPECT_FALSE(d->InVaultLabel.Visible);
}

TEST_F(DialogTest, HolesPerFeatureFollowsTheHoleBoxes) {
  auto d = ShowWith(WriteSample());
  EXPECT_TRUE(d->HolesPerFeatureEdit.Enabled);  // the boxes are enabled until the hole analysis runs
  for (auto* cb : {&d->PlatedMountingCB, &d->NonPlatedMountingCB, &d->PlatedPinCB, &d->NonPlatedPinCB, &d->ViaHolesCB,
                   &d->PlatedToolingCB, &d->NonPlatedToolingCB, &d->PlatedOtherCB, &d->NonPlatedOtherCB})
    cb->Enabled = false;
  d->RunOnShowFunctions();
  EXPECT_FALSE(d->HolesPerFeatureEdit.Enabled);
  EXPECT_FALSE(d->HolesPerFeatureLabel.Enabled);
  d->NonPlatedOtherCB.Enabled = true;
  d->RunOnShowFunctions();
  EXPECT_TRUE(d->HolesPerFeatureEdit.Enabled);
}

TEST_F(DialogTest, AnErrorEscapingAButtonIsShownAndTheDialogStaysOpen) {
  auto d = ShowWith(WriteSample());
  d->DefaultHeightEdit.SetText("abc");
  d->ImportButton.Click();
  EXPECT_EQ(d->ModalResult, platform::mrNone);
  EXPECT_FALSE(d->fOkToContinue);
  ASSERT_EQ(scripted->CallsOf("MessageDlg").size(), 1u);
  EXPECT_EQ(scripted->CallsOf("MessageDlg")[0].MsgKind, platform::TMsgDlgType::mtError);
  EXPECT_NE(Messages()[0].find("abc"), std::string::npos);
}
