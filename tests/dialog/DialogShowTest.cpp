// The show sequence and the persisted options.
#include "import/IdfImportSettingsTable.h"
#include "tests/support/DialogTestSupport.h"

using controls::TCheckBox;

TEST_F(DialogTest, ShowWithAnEmptyStoreGivesTheDefaults) {
  const std::string board = WriteSample();
  auto d = ShowWith(board);

  auto dialogs = scripted->CallsOf("FileDialog");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].Text, "Select IDF Board file");
  EXPECT_EQ(dialogs[0].Request.FilterIndex, 0);
  EXPECT_EQ(dialogs[0].Request.InitialDir, "");
  EXPECT_EQ(dialogs[0].Request.Filter, TIDFfile::SetBoardFileBrowseExt());

  EXPECT_EQ(d->Left, 250);
  EXPECT_EQ(d->Top, 200);
  EXPECT_EQ(d->HeightUnitsCombo.Text(), "Millimeter");
  EXPECT_EQ(d->FFormUnits, utMM);
  EXPECT_EQ(d->FPrecision, 3);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "10.000");
  EXPECT_EQ(d->CopperThickness.Text(), "0.01");
  EXPECT_EQ(d->HolesPerFeatureEdit.Text(), "200");
  EXPECT_TRUE(d->PackageNameRadioButton.Checked());
  EXPECT_FALSE(d->DesignatorRadioButton.Checked());
  EXPECT_EQ(d->FColourHoldingList.Lines(), DefaultColourList());
  for (const auto* c : d->Controls()) {
    if (auto* cb = dynamic_cast<const TCheckBox*>(c)) {
      EXPECT_EQ(cb->Checked, cb == &d->IgnoreRegionalDecPoint || cb == &d->SearchSubDirs) << cb->Name;
    }
  }
  EXPECT_EQ(d->SketchTitle.Text(), "Sketch");
  EXPECT_EQ(d->PartOutlineName.Text(), "PcbPartOutline");

  // The board and what follows from it.
  EXPECT_EQ(d->BoardFilePathEdit.Text(), board);
  EXPECT_EQ(d->LibraryFilePathEdit.Text(), Folder() + "sample.emp");
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder());
  ASSERT_EQ(d->LibSearchPathCombobox.Items.size(), 1u);
  EXPECT_EQ(d->LibSearchPathCombobox.Items[0], Folder());
  EXPECT_TRUE(d->ImportButton.Enabled);
  EXPECT_FALSE(d->UpdateButton.Visible);
  EXPECT_EQ(d->FImportIDF->OutputUnits, utCM);
  EXPECT_EQ(d->FBoardNameFromIdfHeader, "sample_boardOutline");
  EXPECT_EQ(d->FBoardPartFilename, Folder() + "sample_boardOutline.CV_PRT");
  EXPECT_EQ(d->FAssemblyFilename, Folder() + "sample.CV_ASM");
  EXPECT_EQ(d->FCreatedPartsPath, Folder() + "sample/");
  EXPECT_DOUBLE_EQ(d->FDefaultBrdThickness, 0.1);  // one millimetre in centimetres

  // Title, logs, page.
  EXPECT_EQ(d->Caption, "Import IDF 4.2.0");
  EXPECT_EQ(d->FStaticCaption, d->Caption);
  EXPECT_GE(d->FImportIDF->VerifyLog.FindFirst("IMPORT IDF 4.2.0"), 0);
  const auto& summary = d->FImportIDF->SummaryLog;
  ASSERT_GE(summary.Count(), 2);
  EXPECT_EQ(summary[summary.Count() - 1], "");
  EXPECT_EQ(summary[summary.Count() - 2].rfind("Font Setting", 0), 0u);
  EXPECT_NE(summary[summary.Count() - 2].find("Small"), std::string::npos);
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->ImportTabSheet);
  EXPECT_EQ(d->Height, 220);
  EXPECT_TRUE(Messages().empty());  // a clean load asks nothing
  EXPECT_EQ(d->ModalResult, platform::mrNone);
  // Showing reads; only an import writes.
  EXPECT_TRUE(medium->Values(store->RegDir()).empty());
}

TEST_F(DialogTest, WithoutAStoreTheDialogSaysSoAndWorksOn) {
  const std::string board = WriteSample();
  auto d = std::make_unique<TCorvaneIdfImport>();
  scripted->FileAnswers.push_back(board);
  d->ShowModal();
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages()[0], "Registry not assigned in Import Form");
  EXPECT_EQ(d->BoardFilePathEdit.Text(), board);

  TGetInfoFromRegistry keyless(medium);
  auto e = std::make_unique<TCorvaneIdfImport>();
  e->FReg = &keyless;
  scripted->Calls.clear();
  scripted->FileAnswers.push_back(board);
  e->ShowModal();
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages()[0], "Registry Key not assigned in Import Form");
}

TEST_F(DialogTest, ADefaultHeightWithoutSeparatorResetsTheUnitToMillimetres) {
  store->SetStringInRegistry("ImportDefaultHeight", "5");
  store->SetIntegerInRegistry("ImportHeightUnitsIndex", 1);
  store->SetStringInRegistry("CopperThickness", "0.2");
  store->SetStringInRegistry("BoardThickness", "0.0625");
  auto d = ShowWith(WriteSample());
  EXPECT_EQ(d->HeightUnitsCombo.ItemIndex(), 0);
  EXPECT_EQ(d->FFormUnits, utMM);
  EXPECT_EQ(d->FPrecision, 3);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "10.000");
  EXPECT_EQ(d->CopperThickness.Text(), "0.2");     // other lengths keep their figures
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "1.600");  // the board's own thickness replaces the stored one
}

TEST_F(DialogTest, AStoredHeightWithSeparatorKeepsItsUnit) {
  store->SetStringInRegistry("ImportDefaultHeight", "0.39370");
  store->SetIntegerInRegistry("ImportHeightUnitsIndex", 1);
  auto d = ShowWith(WriteSample());
  EXPECT_EQ(d->HeightUnitsCombo.Text(), "Inch");
  EXPECT_EQ(d->FFormUnits, utINCH);
  EXPECT_EQ(d->FPrecision, 5);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "0.39370");
  EXPECT_EQ(d->CopperThicknessUnitsLabel.Caption, "in");
  EXPECT_EQ(d->HoleFilterUnitsLabel.Caption, "in");
  EXPECT_DOUBLE_EQ(d->FDefaultBrdThickness, 2.54);
}

TEST_F(DialogTest, AnUnknownStoredUnitFallsBackToMillimetres) {
  store->SetStringInRegistry("ImportDefaultHeight", "2.5");
  store->SetIntegerInRegistry("ImportHeightUnitsIndex", 7);
  auto d = ShowWith(WriteSample());
  EXPECT_EQ(d->HeightUnitsCombo.ItemIndex(), 0);
  EXPECT_EQ(d->FFormUnits, utMM);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "2.5");
}

TEST_F(DialogTest, SavedValuesOfAnEmptyStoreAreTheTableDefaults) {
  auto d = ShowWith(WriteSample());
  d->SaveFeatureNames();
  d->SetRegSettings();
  d->LocalSetRegSettings();
  auto text = [&](const std::string& n) { return store->GetStringFromRegistry(n); };
  // Values that the show sequence itself fills in.
  const std::map<std::string, std::string> filled = {
      {"ImportBoardFilePath", Folder() + "sample.emn"},
      {"ImportAssemblyPath", Folder()},
      {"ImportLibSearchPath", Folder()},
      {"ImportDefaultHeight", "10.000"},
      {"BoardThickness", "1.600"},
      {"WindowsFileSystemAssemblyFolder", ""},
      {"VaultAssemblyFolder", Folder()},
  };
  std::vector<TSettingInfo> all = ImportDialogSettings();
  all.insert(all.end(), HostDialogSettings().begin(), HostDialogSettings().end());
  for (const auto& s : all) {
    auto v = medium->Read(store->RegDir(), s.Name);
    ASSERT_TRUE(v.has_value()) << s.Name << " was not saved";
    const std::string expected = filled.count(s.Name) ? filled.at(s.Name) : s.Absent;
    switch (s.Kind) {
      case TSettingKind::skText:
        EXPECT_EQ(v->Kind, TRegValue::rkString) << s.Name;
        EXPECT_EQ(text(s.Name), expected) << s.Name;
        break;
      case TSettingKind::skBoolean:
        EXPECT_EQ(v->Kind, TRegValue::rkDWord) << s.Name;
        EXPECT_EQ(store->GetBooleanFromRegistry(s.Name), expected == "true") << s.Name;
        break;
      case TSettingKind::skInteger:
        EXPECT_EQ(v->Kind, TRegValue::rkDWord) << s.Name;
        EXPECT_EQ(store->GetIntegerFromRegistry(s.Name), std::stoi(expected)) << s.Name;
        break;
    }
  }
}

TEST_F(DialogTest, OptionsSurviveAnImportAndTheNextStartThroughTheSettingsFile) {
  auto fileMedium = std::make_shared<TRegistryFileMedium>((dir / "cfg" / "registry.reg").string());
  TGetInfoFromRegistry fileStore(fileMedium);
  fileStore.SetKey("Corvane\\IDF");
  const std::string board = WriteSample();
  {
    auto d = MakeDialog();
    d->FReg = &fileStore;
    scripted->FileAnswers.push_back(board);
    d->ShowModal();
    d->Left = 31;
    d->HeightUnitsCombo.SetItemIndex(2);
    d->DefaultHeightEdit.SetText("393.70");
    d->UseLibParts.Click();
    d->SearchSubDirs.Click();
    d->NonPlatedMountingCB.Checked = true;  // the board has such a hole
    d->AnchorPartsCb.Click();
    d->HolesPerFeatureEdit.SetText("50");
    d->DesignatorRadioButton.Click();
    d->LibSearchPathCombobox.Items = {"/parts/a b", "/parts/c,d", "/x"};
    d->SketchTitle.SetText("Skizze");
    d->FColourHoldingList.Clear();
    d->FColourHoldingList.Add("PCB=clGreen");
    d->FColourHoldingList.Add("R=$00123456");
    d->ImportButton.Click();
    EXPECT_TRUE(d->fOkToContinue);
  }
  auto d = MakeDialog();
  d->FReg = &fileStore;
  scripted->FileAnswers.push_back(board);
  d->ShowModal();
  EXPECT_EQ(d->Left, 31);
  EXPECT_EQ(d->HeightUnitsCombo.Text(), "Thou");
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "393.70");
  EXPECT_TRUE(d->UseLibParts.Checked);
  EXPECT_FALSE(d->SearchSubDirs.Checked);
  EXPECT_TRUE(d->NonPlatedMountingCB.Checked);
  EXPECT_TRUE(d->AnchorPartsCb.Checked);
  EXPECT_EQ(d->HolesPerFeatureEdit.Text(), "50");
  EXPECT_TRUE(d->DesignatorRadioButton.Checked());
  EXPECT_EQ(d->LibSearchPathCombobox.Items, (std::vector<std::string>{"/parts/a b", "/parts/c,d", "/x"}));
  EXPECT_EQ(d->LibSearchPathCombobox.ItemIndex(), 0);
  EXPECT_EQ(d->FSketchStr, "Skizze");
  EXPECT_EQ(d->SketchTitle.Text(), "Skizze");
  EXPECT_EQ(d->FColourHoldingList.Lines(), (std::vector<std::string>{"PCB=clGreen", "R=$00123456"}));
  // The remembered board seeds the first file dialog.
  EXPECT_EQ(scripted->CallsOf("FileDialog").back().AskedFileName, "sample.emn");
  EXPECT_EQ(scripted->CallsOf("FileDialog").back().Request.InitialDir, Folder());
}

TEST_F(DialogTest, ColourTextsAndNameWordsFallBackSensibly) {
  store->SetStringInRegistry("ImportColourStrings", "|A=clRed|");
  store->SetStringInRegistry("Sketch", "");
  store->SetStringInRegistry("ViaKeepout", "Durchkontakt");
  auto d = ShowWith(WriteSample());
  EXPECT_EQ(d->FColourHoldingList.Lines(), std::vector<std::string>{"A=clRed"});
  EXPECT_EQ(d->FSketchStr, "Sketch");
  EXPECT_EQ(d->ViaKeepoutName.Text(), "Durchkontakt");

  d->SetColourListText("\"A=light blue\"|\"B=\"\"x\"\"\"");
  EXPECT_EQ(d->FColourHoldingList.Lines(), (std::vector<std::string>{"A=light blue", "B=\"x\""}));
  EXPECT_EQ(d->ColourListText(), "\"A=light blue\"|\"B=\"\"x\"\"\"");
}

TEST_F(DialogTest, FeatureNameDefaultsTouchOnlyTheEditsUntilAnImport) {
  store->SetStringInRegistry("BoardOutline", "Umriss");
  auto d = ShowWith(WriteSample());
  d->SetFeatureNameDefaults.Click();
  EXPECT_EQ(d->BoardOutlineName.Text(), "BoardOutline");
  EXPECT_EQ(d->FBoardOutlineFeature, "Umriss");
  d->CancelButton.Click();
  EXPECT_EQ(d->ModalResult, platform::mrCancel);
  EXPECT_EQ(store->GetStringFromRegistry("BoardOutline"), "Umriss");
  d->SaveFeatureNames();
  EXPECT_EQ(d->FBoardOutlineFeature, "BoardOutline");
}

TEST_F(DialogTest, AssemblyPathIsKeptWhileItFollowsTheBoard) {
  store->SetBooleanInRegistry("AssemblyPathFromIdfFiles", true);
  store->SetStringInRegistry("ImportAssemblyPath", "/stored/assemblies/");
  auto d = ShowWith(WriteSample());
  EXPECT_EQ(d->AssemblyPathEdit.Text(), Folder());
  EXPECT_FALSE(d->AssemblyPathEdit.Enabled);
  EXPECT_FALSE(d->AssemblyPathButton.Enabled);
  d->ImportButton.Click();
  ASSERT_TRUE(d->fOkToContinue);
  EXPECT_EQ(store->GetStringFromRegistry("ImportAssemblyPath"), "/stored/assemblies/");
  d->AssemblyDirCb.Click();  // unchecked: the stored folder comes back
  EXPECT_EQ(d->AssemblyPathEdit.Text(), "/stored/assemblies/");
  EXPECT_TRUE(d->AssemblyPathEdit.Enabled);
}

TEST_F(DialogTest, PageHeightsFollowTheScreen) {
  scripted->PixelsPerInch = 120;
  auto d = ShowWith(WriteSample());
  EXPECT_TRUE(d->FWeHaveLargeFonts);
  EXPECT_EQ(d->Height, 250);
  EXPECT_NE(d->FImportIDF->SummaryLog[d->FImportIDF->SummaryLog.Count() - 2].find("Large"), std::string::npos);
  d->PageControl1.SelectPage(&d->TabSheet3);
  EXPECT_EQ(d->Height, 500);
  d->PageControl1.SelectPage(&d->SettingsTabSheet);
  EXPECT_EQ(d->Height, 475);
  d->PageControl1.SelectPage(&d->BoardTabSheet);
  EXPECT_EQ(d->Height, 470);
  EXPECT_EQ(d->BrdMemo.Lines, d->FImportIDF->BoardStrings.Lines());
  d->PageControl1.SelectPage(&d->LibraryTabSheet);
  EXPECT_EQ(d->LibMemo.Lines, d->FImportIDF->LibStrings.Lines());
  d->PageControl1.SelectPage(&d->FilterTab);
  EXPECT_EQ(d->Height, 470);
  EXPECT_FALSE(d->SelectedDesignatorsCheckListBox.Visible);  // package mode by default
  d->PageControl1.SelectPage(&d->FeatureNamesTabSheet);
  EXPECT_EQ(d->Height, 470);
}

TEST_F(DialogTest, TypingIntoTheHeightFieldsAcceptsNumbersOnly) {
  auto d = ShowWith(WriteSample());
  d->DefaultHeightEdit.TypeChar('5');
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "10.0005");
  d->DefaultHeightEdit.TypeChar('x');
  d->DefaultHeightEdit.TypeChar('.');
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "10.0005");
  d->DefaultHeightEdit.TypeChar('\b');
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "10.000");
  int changes = 0;
  d->HeightUnitsCombo.OnChange = [&] { ++changes; };
  d->HeightUnitsCombo.TypeChar('I');
  EXPECT_EQ(d->HeightUnitsCombo.ItemIndex(), 0);
  EXPECT_EQ(changes, 0);
}

TEST_F(DialogTest, ControlsCarryTheirCaptionsHintsAndHelpNumbers) {
  auto d = MakeDialog();
  EXPECT_EQ(d->HelpContext, 1000);
  EXPECT_EQ(d->ProgressBar1.HelpContext, 1010);
  EXPECT_EQ(d->PageControl1.HelpContext, 1020);
  EXPECT_EQ(d->ImportTabSheet.HelpContext, 1030);
  EXPECT_EQ(d->ImportButton.HelpContext, 1040);
  EXPECT_EQ(d->SettingsTabSheet.HelpContext, 3);
  EXPECT_EQ(d->LibMemo.HelpContext, 2230);
  EXPECT_EQ(d->AssemblyDirCb.HelpContext, 2320);
  EXPECT_EQ(d->AnchorPartsCb.HelpContext, 2510);
  EXPECT_EQ(d->UseVaultCb.HelpContext, 2520);
  EXPECT_EQ(d->HolesPerFeatureEdit.HelpContext, 2530);
  EXPECT_EQ(d->ShowPartCreateCb.HelpContext, 2540);
  EXPECT_EQ(d->HoleFilterCb.HelpContext, 2550);
  // Numbers identify controls: no two share one.
  std::map<int, std::string> seen;
  for (const auto* c : d->Controls())
    if (c->HelpContext) {
      EXPECT_TRUE(seen.emplace(c->HelpContext, c->Name).second) << c->Name;
    }
  EXPECT_EQ(d->ImportButton.Caption, "Create &Assembly");
  EXPECT_EQ(d->ImportButton.Hint, "Import...");
  EXPECT_FALSE(d->ImportButton.Enabled);
  EXPECT_EQ(d->BoardFilePathButton.Hint, "Browse Board Files");
  EXPECT_TRUE(d->BoardFilePathEdit.ReadOnly);
  EXPECT_EQ(d->PageControl1.PageCount(), 8);
  EXPECT_EQ(d->StatusTabSheet.PageIndex, 5);
  EXPECT_EQ(d->StatusTabSheet.Caption, "Sta&tus");
  EXPECT_EQ(d->LibraryTabSheet.PageIndex, 7);
  EXPECT_FALSE(d->StopButton.Visible);
  EXPECT_FALSE(d->SuppressPlaceFeatures.Enabled);
  EXPECT_FALSE(d->SuppressGroupBox.Enabled);
  EXPECT_EQ(d->FindControl("UseVaultCb"), &d->UseVaultCb);
  EXPECT_EQ(d->FImportIDF->OutputUnits, utCM);
}
