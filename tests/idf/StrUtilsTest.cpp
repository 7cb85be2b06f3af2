#include <gtest/gtest.h>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"
#include "platform/Platform.h"

namespace {
struct SeparatorScope {
  explicit SeparatorScope(char c) { platform::SetDecimalSeparator(c); }
  ~SeparatorScope() { platform::SetDecimalSeparator('.'); }
};
}  // namespace

TEST(DelimitStr, SplitsOnBlankRunsAndKeepsBlanksInsideQuotes) {
  EXPECT_EQ(DelimitStr("  .ELECTRICAL\t  \"my part\"  MM 2.0  "), "\".ELECTRICAL\",\"my part\",\"MM\",\"2.0\"");
  // an empty quoted field reads as UNKNOWN
  EXPECT_EQ(DelimitStr("A \"\" B"), "\"A\",\"UNKNOWN\",\"B\"");
  // a comma is ordinary text: reading back gives as many fields as there were words
  const std::string d = DelimitStr("R1,R2 10,5 x");
  EXPECT_EQ(CommaTextToList(d), (std::vector<std::string>{"R1,R2", "10,5", "x"}));
  EXPECT_EQ(DelimitStr("   \t "), "\"\"");
  EXPECT_EQ(DelimitStr("\"C:\\board files\\x.emn\" MM"), "\"C:\\board files\\x.emn\",\"MM\"");
}

TEST(DelimitStr, StringListDropsLinesThatCleanToNothing) {
  TSearchStringList l;
  l.Add("a b");
  l.Add("   ");
  l.Add("");
  l.Add("\"\"x");
  l.Add("c");
  l.DelimitStrings();
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l[0], "\"a\",\"b\"");
  EXPECT_EQ(l[1], "\"UNKNOWNx\"");
  EXPECT_EQ(l[2], "\"c\"");
}

TEST(CommaText, ReadsQuotedItemsAndWritesThemBack) {
  EXPECT_EQ(CommaTextToList("a, \"b c\" ,\"d\"\"e\","), (std::vector<std::string>{"a", "b c", "d\"e", ""}));
  EXPECT_EQ(CommaTextToList("a b"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(CommaTextToList("").empty());
  const std::vector<std::string> items{"plain", "with blank", "q\"uote", "c,omma"};
  EXPECT_EQ(ListToCommaText(items), "plain,\"with blank\",\"q\"\"uote\",\"c,omma\"");
  EXPECT_EQ(CommaTextToList(ListToCommaText(items)), items);
  EXPECT_EQ(ListToCommaText({""}), "\"\"");
}

TEST(TabbedLines, TabStopsDependOnLabelLength) {
  EXPECT_EQ(TabString("1234567", 3), "1234567\t\t\t");
  EXPECT_EQ(TabString("12345678", 3), "12345678\t\t");
  EXPECT_EQ(TabString(std::string(24, 'x'), 3), std::string(24, 'x'));
  TSearchStringList l;
  l.AddTabbed({"Board File:    ", "x.emn"});
  l.AddTabbed({"a", "b", "c"});
  EXPECT_EQ(l[0], "Board File:    \t\tx.emn");
  EXPECT_EQ(l[1], "a\t\t\tb\t\t\tc");
}

TEST(Search, IgnoresCaseAndContinuesFromTheLastHit) {
  TSearchStringList l;
  for (auto s : {".END_HEADER", "x", ".header", ".Header again"}) l.Add(s);
  EXPECT_EQ(l.FindFirst(".HEADER"), 2);
  EXPECT_EQ(l.FindNext(), 3);
  EXPECT_EQ(l.FindNext(), -1);
  EXPECT_EQ(l.FindFirst("HEADER"), 0);  // any line containing the text matches
  EXPECT_EQ(l.FindNext(), 2);
  EXPECT_EQ(l.FindNext(), 3);
  EXPECT_EQ(l.FindNext(), -1);
  EXPECT_EQ(l.FindAfter("x", l.Count()), -1);
  EXPECT_EQ(l.FindFirst(""), -1);
}

TEST(TextHelpers, SmallRules) {
  EXPECT_EQ(DeleteAll("aabb", "ab"), "");  // deleting joins a new occurrence
  EXPECT_EQ(DeleteAll("x.y.z", "."), "xyz");
  EXPECT_EQ(DeleteAll("abc", ""), "abc");
  EXPECT_EQ(ReplaceQuotedChars("a \"b c\" d", ' ', '_'), "a \"b_c\" d");
  EXPECT_EQ(ValidateFileName("a/b:c*?\"<>|\\d"), "a_b_c_______d");
  EXPECT_EQ(RemoveQuotes("\""), "");
  EXPECT_EQ(RemoveQuotes("\"abc\""), "abc");
  EXPECT_EQ(RemoveQuotes("\"abc"), "\"abc");
  EXPECT_EQ(RemoveExtension("dir.x/file.EMN"), "dir.x/file");
  EXPECT_EQ(RemoveExtension("dir/file"), "dir/file");
  // the first occurrence of the extension text goes, wherever it is
  EXPECT_EQ(RemoveExt("/a.emn.d/b.EMN"), "/a.d/b.EMN");
  EXPECT_EQ(RemoveExtension("/a.emn.d/b.EMN"), "/a.emn.d/b");
}

TEST(PathRules, LocalPathsSplitOnSlashForeignNamesAlsoOnBackslashAndDrive) {
  // a local name may hold a backslash or a colon; a name from another system may not
  EXPECT_EQ(ExtractFileName("/tmp/a\\b:c.emn"), "a\\b:c.emn");
  EXPECT_EQ(ExtractFileDir("/tmp/a\\b.emn"), "/tmp/");
  EXPECT_EQ(ExtractFileFolder("/x"), "/");
  EXPECT_EQ(ExtractFileFolder("x"), ".");
  EXPECT_EQ(ExtractForeignName("C:\\pcb/x\\board.emn"), "board.emn");
  EXPECT_EQ(ExtractForeignDir("C:\\pcb/x\\board.emn"), "C:\\pcb/x\\");
  EXPECT_EQ(ExtractForeignName("D:board.emn"), "board.emn");
  EXPECT_EQ(ExtractForeignDir("D:board.emn"), "D:");
  EXPECT_EQ(ExtractForeignName("rev:2.emn"), "rev:2.emn");
  EXPECT_EQ(RemoveExtension("C:board"), "C:board");
}

TEST(AsciiCase, OnlyAsciiLettersFold) {
  EXPECT_EQ(UpperCase("r\xc3\xa9sistor-0805"), "R\xc3\xa9SISTOR-0805");
  EXPECT_EQ(LowerCase("MM\xc3\x89"), "mm\xc3\x89");
  EXPECT_TRUE(LessIgnoringCase("abc", "ABD"));
  EXPECT_FALSE(LessIgnoringCase("ABC", "abc"));
  EXPECT_TRUE(LessIgnoringCase("Z", "\xc3\x89"));  // bytes above ASCII sort last
  std::uint32_t v = 0;
  EXPECT_TRUE(TryHexToUInt32("00fFa0", v));
  EXPECT_EQ(v, 0xFFA0u);
  EXPECT_TRUE(TryHexToUInt32("FFFFFFFF", v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  for (const char* bad : {"", "123456789", "+1", "-1", "1 ", "0x1", "g"}) EXPECT_FALSE(TryHexToUInt32(bad, v)) << bad;
}

TEST(EnumNames, NameWithoutPrefixAndLookUpIgnoringCase) {
  EXPECT_EQ(EnumName(stPLACE_OUTLINE), "PLACE_OUTLINE");
  EXPECT_EQ(EnumName(utCM), "CM");
  EXPECT_EQ(EnumName(static_cast<TSectionType>(22)), "");
  EXPECT_EQ(EnumName(static_cast<TOwnerType>(-1)), "");
  EXPECT_EQ(EnumFromWord<TLayerType>("bottom"), ltBOTTOM);
  EXPECT_EQ(EnumFromWord<TSectionType>("Board_Outline"), stBOARD_OUTLINE);
  EXPECT_EQ(EnumFromWord<TOwnerType>("SOMEONE"), kUnrecognisedEnum);
  EXPECT_NE(EnumFromWord<TOwnerType>("SOMEONE"), otNONE);
  EXPECT_EQ(EnumFromWord<TOwnerType>("NONE"), otNONE);
}

TEST(Numbers, DecimalMarkRepairAndStrictParsing) {
  SeparatorScope dot('.');
  EXPECT_EQ(FixDecimalSeparator("1,5"), "1.5");
  EXPECT_EQ(FixDecimalSeparator("1,234,5"), "1.234,5");
  EXPECT_DOUBLE_EQ(StrToFloat(" -1.5e2 "), -150.0);
  EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
  double v;
  for (auto bad : {"", "abc", "1,2,3", "1.2.3", "1e999", "nan", "inf", "1e", "--1", "0x10", "1 2"})
    EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  EXPECT_THROW(StrToFloat("1,5"), EConvertError);
  int i;
  EXPECT_TRUE(TryStrToInt("-12", i));
  EXPECT_EQ(i, -12);
  for (auto bad : {"0.0", "1e3", "99999999999", ""}) EXPECT_FALSE(TryStrToInt(bad, i)) << bad;
  {
    SeparatorScope comma(',');
    EXPECT_EQ(FixDecimalSeparator("1.27"), "1,27");
    EXPECT_DOUBLE_EQ(StrToFloat("1,27"), 1.27);
    EXPECT_EQ(FormatFloat(0.16, 3), "0,160");
  }
}

TEST(Decoding, ByteOrderMarksLineEndsAndEightBitText) {
  EXPECT_EQ(DecodeTextLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(DecodeTextLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(DecodeTextLines("\xEF\xBB\xBFx\n"), (std::vector<std::string>{"x"}));
  const std::string le(
      "\xFF\xFE"
      "a\0\xE9\0\r\0\n\0b\0",
      12);
  EXPECT_EQ(DecodeTextLines(le), (std::vector<std::string>{"a\xC3\xA9", "b"}));
  const std::string be("\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00", 10);
  EXPECT_EQ(DecodeTextLines(be), (std::vector<std::string>{"a", "\xF0\x9F\x98\x80"}));
  // not UTF-8: read as Windows-1252 (e acute, euro sign)
  EXPECT_EQ(DecodeTextLines("caf\xE9 \x80"), (std::vector<std::string>{"caf\xC3\xA9 \xE2\x82\xAC"}));
  EXPECT_EQ(DecodeTextLines("caf\xC3\xA9"), (std::vector<std::string>{"caf\xC3\xA9"}));
}

TEST(StringList, IndexErrorsAreRaised) {
  TSearchStringList l;
  EXPECT_THROW(l.Get(0), EListIndexError);
  l.Add("x");
  EXPECT_THROW(l.Get(-1), EListIndexError);
  EXPECT_EQ(l.Last(), "x");
  EXPECT_THROW(l.LoadFromFile("/nonexistent/dir/file.emn"), std::runtime_error);
}
