#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <string>

#include "common/errors.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

TEST(IniFile, ReadsLfCrLfAndCrOnlyFilesAlike) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string e = end;
    const IniFile ini = IniFile::Parse("[Files]" + e + "InputPath=/in" + e + "[Other]" + e +
                                       "InputPath=/other" + e + "Last=truncated");
    EXPECT_EQ(ini.ReadString("Files", "InputPath", "-"), "/in") << "line end " << e.size();
    EXPECT_EQ(ini.ReadString("Other", "InputPath", "-"), "/other");
    EXPECT_EQ(ini.ReadString("Other", "Last", "-"), "truncated");
  }
}

struct ValueCase {
  std::string line;
  const char* expected;
};

TEST(IniFile, ValueRules) {
  const ValueCase cases[] = {
      {"Key=plain", "plain"},
      {"  Key  =   padded value \t ", "padded value"},
      {"Key=\"double quoted\"", "double quoted"},
      {"Key='single quoted'", "single quoted"},
      {"Key=\"  blanks kept inside  \"", "  blanks kept inside  "},
      {"Key=\"\"", ""},
      {"Key=\"'\"'", "\"'\"'"},            // first and last differ: no pair
      {"Key=\"\"twice\"\"", "\"twice\""},  // only one pair comes off
      {"Key=\"", "\""},
      {"Key=a=b=c", "a=b=c"},
      {"Key=", ""},
      {"KEY=upper", "upper"},
      {"key=lower", "lower"},
      // A value is a C string to the programs that write these files: NUL ends it.
      {std::string("Key=abc\0def", 11), "abc"},
      {std::string("Key=\0rest", 9), ""},
      {std::string("Key= 'ab\0c' ", 12), "'ab"},
  };
  for (const auto& c : cases) {
    const IniFile ini = IniFile::Parse(std::string("[S]\r\n") + c.line + "\r\n");
    EXPECT_EQ(ini.ReadString("s", "Key", "default"), c.expected) << c.line;
  }
}

TEST(IniFile, LinesThatDefineNoKey) {
  const IniFile ini = IniFile::Parse(
      "Key=before any section\r\n"
      "[S]\r\n"
      "; Key=commented out\r\n"
      "no equals sign\r\n"
      "=no key\r\n"
      "\r\n");
  EXPECT_FALSE(ini.Read("S", "Key"));
  EXPECT_FALSE(ini.Read("S", "no equals sign"));
  EXPECT_FALSE(ini.Read("S", ""));
  EXPECT_EQ(ini.CountKeys("S"), 0u);
  EXPECT_TRUE(ini.SectionExists("s"));
  EXPECT_FALSE(ini.SectionExists("Key"));
}

TEST(IniFile, CutsLongValuesAt2047Characters) {
  const std::string long_value(1 << 20, 'v');
  const IniFile ini = IniFile::Parse("[S]\nKey=" + long_value + "\nNext=1\n");
  EXPECT_EQ(ini.ReadString("S", "Key", ""), std::string(2047, 'v'));
  EXPECT_EQ(ini.ReadInteger("S", "Next", 0), 1);
  // The cut is a reading rule: rewriting other keys keeps the long line whole.
  IniFile copy = ini;
  copy.WriteInteger("S", "Next", 2);
  EXPECT_NE(copy.Serialise().find("Key=" + long_value + "\r\n"), std::string::npos);
}

TEST(IniFile, FirstOfTwiceUsedSectionsAndKeysCounts) {
  IniFile ini = IniFile::Parse("[S]\nKey=first\nkey=second\nOther=1\n[s]\nKey=third\nMore=2\n");
  EXPECT_EQ(ini.ReadString("S", "Key", ""), "first");
  EXPECT_FALSE(ini.Read("S", "More"));
  EXPECT_EQ(ini.CountKeys("S"), 2u);

  ini.WriteString("S", "Key", "new");
  ini.DeleteKey("S", "Other");
  EXPECT_EQ(ini.Serialise(), "[S]\r\nKey=new\r\nkey=second\r\n[s]\r\nKey=third\r\nMore=2\r\n");
  ini.DeleteKey("S", "KEY");
  EXPECT_EQ(ini.Serialise(), "[S]\r\n[s]\r\nKey=third\r\nMore=2\r\n");
  EXPECT_FALSE(ini.Read("S", "Key"));
}

TEST(IniFile, UpdatesInPlaceAndKeepsEverythingElse) {
  IniFile ini = IniFile::Parse(
      "; written by hand\n"
      "[Files]\n"
      "  inputpath = \"/old\"  \n"
      "odd line\n"
      "Title=kept\n"
      "\n"
      "; about the next section\n"
      "[Foreign]\n"
      "Unknown=value");
  ini.WriteString("FILES", "InputPath", "/new");
  ini.WriteString("Files", "OutputPath", "/out");
  ini.WriteString("Foreign", "Added", "x");
  ini.WriteBool("GoCreate", "AutoBrowserStart", true);
  ini.WriteInteger("GoCreate", "Number", -42);
  EXPECT_EQ(ini.Serialise(),
            "; written by hand\r\n"
            "[Files]\r\n"
            "InputPath=/new\r\n"
            "odd line\r\n"
            "Title=kept\r\n"
            "OutputPath=/out\r\n"
            "\r\n"
            "; about the next section\r\n"
            "[Foreign]\r\n"
            "Unknown=value\r\n"
            "Added=x\r\n"
            "[GoCreate]\r\n"
            "AutoBrowserStart=1\r\n"
            "Number=-42\r\n");
}

TEST(IniFile, AKeyWrittenAgainAfterDeletionGoesToTheEndOfItsSection) {
  IniFile ini = IniFile::Parse("[T]\nLine0=da\nLine1=db\nForeign=1\n[U]\nX=1\n");
  ini.DeleteKey("T", "Line0");
  ini.DeleteKey("T", "Line1");
  EXPECT_EQ(ini.CountKeys("T"), 1u);
  ini.WriteString("T", "Line0", "dnew");
  EXPECT_EQ(ini.Serialise(), "[T]\r\nForeign=1\r\nLine0=dnew\r\n[U]\r\nX=1\r\n");
}

TEST(IniFile, LineBreaksInAWrittenValueCannotAddLines) {
  IniFile ini;
  ini.WriteString("Files", "InputPath", "/a\r\n[Files]\nOutputPath=/evil\r");
  const IniFile reread = IniFile::Parse(ini.Serialise());
  EXPECT_EQ(reread.ReadString("Files", "InputPath", ""), "/a  [Files] OutputPath=/evil");
  EXPECT_FALSE(reread.Read("Files", "OutputPath"));
}

struct IntegerCase {
  const char* text;
  std::optional<int32_t> expected;
};

TEST(ParseIniInteger, DecimalAndHexadecimal) {
  const IntegerCase cases[] = {
      {"0", 0},
      {"16777215", 16777215},
      {"-7", -7},
      {"+7", 7},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$00FF00", 65280},
      {"0x00FF00", 65280},
      {"0X00ff00", 65280},
      {"$80000005", static_cast<int32_t>(0x80000005u)},
      {"$FFFFFFFF", -1},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"$100000000", std::nullopt},
      {"$", std::nullopt},
      {"0x", std::nullopt},
      {"-", std::nullopt},
      {"", std::nullopt},
      {"green", std::nullopt},
      {"12abc", std::nullopt},
      {"1 2", std::nullopt},
      {"$FG", std::nullopt},
      {"-$10", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIniInteger(c.text), c.expected) << c.text;
}

TEST(IniFile, NumbersAndSwitchesFallBackToTheDefault) {
  const IniFile ini = IniFile::Parse("[S]\nA=yes\nB=2\nC=0\nD=-1\nE=\"12\"\n");
  EXPECT_TRUE(ini.ReadBool("S", "A", true));
  EXPECT_FALSE(ini.ReadBool("S", "A", false));
  EXPECT_TRUE(ini.ReadBool("S", "B", false));
  EXPECT_FALSE(ini.ReadBool("S", "C", true));
  EXPECT_TRUE(ini.ReadBool("S", "D", false));
  EXPECT_EQ(ini.ReadInteger("S", "A", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "E", 5), 12);
  EXPECT_EQ(ini.ReadInteger("S", "Missing", 5), 5);
}

TEST(IniFile, BadInputLoadsWithoutHarm) {
  std::string junk;
  for (int i = 0; i < 70000; ++i) junk.push_back(static_cast<char>((i * 7919) % 256));
  const std::string inputs[] = {
      junk,
      std::string(1 << 20, 'x'),
      std::string(1 << 20, '['),
      "no sections at all\nKey=value\n",
      "[S]\nKey=trunc",
      "[S]\r\r\r\nKey=1\r",
      std::string("[S]\0\nK\0=\0v\n", 12),
      "\xEF\xBB\xBF\xEF\xBB\xBFsettings\r\n[S]\r\nKey=1",  // found by fuzzing: two marks
      "",
  };
  for (const std::string& input : inputs) {
    IniFile ini = IniFile::Parse(input);
    ini.WriteString("S", "Key", "new");
    const IniFile again = IniFile::Parse(ini.Serialise());
    EXPECT_EQ(again.Serialise(), ini.Serialise());
    EXPECT_EQ(again.ReadString("S", "Key", ""), "new");
  }
}

TEST(IniFile, LoadTreatsMissingFilesAsEmptyAndReadsTheRest) {
  test::TempDir dir;
  EXPECT_EQ(IniFile::Load(dir / "missing.ini").Serialise(), "");
  // Something else of that name is not taken for a missing file.
  EXPECT_THROW(IniFile::Load(dir.Path().string()), EFileError);
  // A byte-order mark put in by another editor does not hide the first section, and the
  // file is written back without it.
  test::WriteText(dir / "a.ini", "\xEF\xBB\xBF[S]\nKey=1\n");
  const IniFile ini = IniFile::Load(dir / "a.ini");
  EXPECT_EQ(ini.ReadInteger("S", "Key", 0), 1);
  EXPECT_EQ(ini.Serialise(), "[S]\r\nKey=1\r\n");
}

}  // namespace
}  // namespace kelmora
