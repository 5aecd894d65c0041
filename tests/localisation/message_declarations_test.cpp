#include "localisation/message_declarations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ascii_text.h"
#include "localisation/message_table.h"
#include "platform/file_system.h"
#include "settings/ini_file.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

std::vector<DeclaredMessage> Parse(const std::string& file_text) {
  std::vector<DeclarationLine> lines;
  CollectDeclarationLines(file_text, lines);
  return ParseDeclaredMessages(std::move(lines));
}

std::string Describe(const std::vector<DeclaredMessage>& messages) {
  std::string text;
  for (const DeclaredMessage& message : messages) text += message.name + "=" + message.value + "\n";
  return text;
}

// The lines of one section of a written file, exactly as written.
std::vector<std::string> SectionLines(const std::string& file_text, const std::string& section) {
  std::vector<std::string> lines;
  bool inside = false;
  for (std::string_view line : SplitLines(file_text)) {
    if (line.starts_with("[")) {
      inside = line == "[" + section + "]";
    } else if (inside && !line.empty()) {
      lines.emplace_back(line);
    }
  }
  return lines;
}

// "Misc" as the table says it must read: one key per message, in order, line breaks as the
// marker.
std::vector<std::string> ExpectedMisc(std::span<const MessageText> messages) {
  std::vector<std::string> lines;
  for (const MessageText& message : messages) {
    std::string value;
    for (size_t i = 0; i < message.default_text.size(); ++i) {
      const char c = message.default_text[i];
      if (c == '\r' || c == '\n') {
        if (c == '\r' && i + 1 < message.default_text.size() && message.default_text[i + 1] == '\n')
          ++i;
        value += "*|*";
      } else {
        value += c;
      }
    }
    lines.push_back(std::string(message.key) + "=" + value);
  }
  return lines;
}

struct ParseCase {
  const char* what;
  const char* file_text;
  const char* expected;  // name=value lines
};

class ParseDeclarations : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDeclarations, GivesTheMessages) {
  EXPECT_EQ(Describe(Parse(GetParam().file_text)), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseDeclarations,
    ::testing::Values(
        ParseCase{"plain declarations, indented, other lines ignored",
                  "unit x;\r\nconst\r\n  InputPathDialogTitle='Select Input Folder';\r\n"
                  "\tTextColor='Text color';   \r\nbegin end.\r\n",
                  "InputPathDialogTitle=Select Input Folder\nTextColor=Text color\n"},
        ParseCase{"doubled quotes become one, a blank before the closing quote stays",
                  "A='it''s ''quoted'' ';\n", "A=it's 'quoted' \n"},
        ParseCase{"literals joined over continuation lines become line-break markers",
                  "Help='first line'+#13#10\n    +'second line'+#13#10\n  +'third';\n",
                  "Help=first line*|*second line*|*third\n"},
        ParseCase{"a join on one line, without a line-break character too",
                  "A='one'+#13#10+'two';\nB='x'+'y';\n", "A=one*|*two\nB=x*|*y\n"},
        ParseCase{"a continuation starting with a character code", "A='one'+\n#13#10+'two';\n",
                  "A=one*|*two\n"},
        ParseCase{"literals without a plus between them are not joined", "A='one'#13#10'two';\n",
                  "A=one'#13#10'two\n"},
        ParseCase{"a name declared twice takes its first text each time",
                  "Dup='first';\nOther='o';\nDup='second';\n", "Dup=first\nOther=o\nDup=first\n"},
        // Collected twice, declaration first: the continuation joins its own declaration.
        ParseCase{"a continuation also holding =' is collected twice", "A='one'+\n'x='+'y';\n",
                  "A=one\n'x=+'y';'x=*|*y\n"},
        ParseCase{"an assignment is taken for a declaration", "  Caption:='Hello';\n",
                  "Caption:=Hello\n"},
        ParseCase{"a continuation with nothing before it is dropped", "'orphan';\nA='a';\n",
                  "A=a\n"},
        ParseCase{"a name beginning with bis is a declaration, not a continuation",
                  "A='a';\nbisect='b';\n", "A=a\nbisect=b\n"},
        ParseCase{"a join with no literal after it ends the text", "A='open'+#13#10\n", "A=open\n"},
        ParseCase{"lines ending in LF, CR LF or CR alike", "A='a';\rB='b';\r\nC='c';",
                  "A=a\nB=b\nC=c\n"},
        ParseCase{"a declaration with no text", "A='';\nB='\n", "A=\n"},
        ParseCase{"nothing declared", "unit x;\n// comment\n", ""}));

TEST(MessageDeclarationFile, TheGeneratedMiscEqualsTheMessageTable) {
  // The file the build put into the program folder is the one the table makes today.
  const std::string built = test::ReadText(test::BinDir() / "messages.pas");
  EXPECT_EQ(built, MessageDeclarationFileText());

  IniFile file;
  CollectMessages(file, SingleProgramFolder(test::BinDir().string()));
  EXPECT_EQ(SectionLines(file.Serialise(), "Misc"), ExpectedMisc(kMessages));
}

TEST(MessageDeclarationFile, AwkwardTextsSurviveTheRoundTrip) {
  constexpr MessageText kAwkward[] = {
      {MessageKey::TextColor, "Break", "first\r\nsecond\nthird\r\n"},
      {MessageKey::TextColor, "Quotes", "it's 'here' and \"there\""},
      {MessageKey::TextColor, "Marks", "a='b' + #13 ; x=y"},
      {MessageKey::TextColor, "Blank", " blanks around "},
      {MessageKey::TextColor, "Empty", ""},
      {MessageKey::TextColor, "Accents",
       "Gr\xC3\xB6\xC3\x9F"
       "e \xE9t\xE9"},
  };
  test::TempDir folder;
  test::WriteText(folder.Path() / "messages.pas", MessageDeclarationFileText(kAwkward));
  IniFile file;
  CollectMessages(file, SingleProgramFolder(folder.Path().string()));
  EXPECT_EQ(SectionLines(file.Serialise(), "Misc"), ExpectedMisc(kAwkward));
}

TEST(CollectMessages, ReadsTheDeclarationFilesOfTheFolderInNameOrder) {
  test::TempDir folder;
  test::WriteText(folder.Path() / "b.pas", "B='from b';\n");
  test::WriteText(folder.Path() / "a.PAS", "A='from a';\n");
  test::WriteText(folder.Path() / "IniLang.pas", "Skipped='own unit';\n");
  test::WriteText(folder.Path() / "inilang.pas", "Other='not the skipped name';\n");
  test::WriteText(folder.Path() / "notes.txt", "Text='not a declaration file';\n");
  test::WriteText(folder.Path() / "x.pas.bak", "Bak='not one either';\n");
  IniFile file;
  file.WriteString("KM", "KM.Caption", "window first");
  CollectMessages(file, SingleProgramFolder(folder.Path().string()));
  EXPECT_EQ(file.Serialise(),
            "[KM]\r\nKM.Caption=window first\r\n"
            "[Misc]\r\nA=from a\r\nB=from b\r\nOther=not the skipped name\r\n");
}

TEST(CollectMessages, NoDeclarationFilesGiveNoMisc) {
  test::TempDir folder;
  test::WriteText(folder.Path() / "Deutsch.ln", "[Misc]\nA=b\n");
  IniFile file;
  CollectMessages(file, SingleProgramFolder(folder.Path().string()));
  EXPECT_FALSE(file.SectionExists("Misc"));
  CollectMessages(file, SingleProgramFolder((folder.Path() / "missing").string()));
  EXPECT_FALSE(file.SectionExists("Misc"));
}

}  // namespace
}  // namespace kelmora
