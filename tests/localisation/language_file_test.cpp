#include "localisation/language_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace kelmora {
namespace {

TEST(LanguageFile, ReadingRules) {
  const LanguageFile file = LanguageFile::Parse(
      "Orphan=before any section\r\n"
      "  [ Misc ]  \r\n"
      "; Commented=yes\r\n"
      "\r\n"
      "   Spaced   =   value with blanks   \r\n"
      "Equals=a=b\r\n"
      "Quoted=\"kept\"\r\n"
      "Empty=\r\n"
      "no equals here\r\n"
      "Twice=first\r\n"
      "TWICE=second\r\n"
      "[KM]\r\n"
      "KM.ButtonQuit.Caption=Quit\r\n");
  EXPECT_FALSE(file.Read("Misc", "Orphan"));
  EXPECT_FALSE(file.Read("Misc", "; Commented"));
  EXPECT_FALSE(file.Read("Misc", "no equals here"));
  EXPECT_EQ(file.Read("Misc", "Spaced"), "value with blanks");
  EXPECT_EQ(file.Read("misc", "equals"), "a=b");
  EXPECT_EQ(file.Read("Misc", "Quoted"), "\"kept\"");
  EXPECT_EQ(file.Read("Misc", "Empty"), "");
  EXPECT_EQ(file.Read("Misc", "Twice"), "first");
  EXPECT_EQ(file.Read("km", "km.buttonquit.caption"), "Quit");
  EXPECT_FALSE(file.Read("Misc", "KM.ButtonQuit.Caption"));
  EXPECT_EQ(file.ReadString("KM", "Missing", "fsdef"), "fsdef");
}

TEST(LanguageFile, AnyLineEndAndBadInputLoad) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string e = end;
    const LanguageFile file = LanguageFile::Parse("[Misc]" + e + "A=1" + e + "B=2");
    EXPECT_EQ(file.Read("Misc", "A"), "1");
    EXPECT_EQ(file.Read("Misc", "B"), "2");
  }
  std::string junk;
  for (int i = 0; i < 70000; ++i) junk.push_back(static_cast<char>((i * 7919) % 256));
  LanguageFile::Parse(junk);
  const LanguageFile long_line = LanguageFile::Parse("[Misc]\nLong=" + std::string(1 << 20, 'x'));
  EXPECT_EQ(long_line.Read("Misc", "Long")->size(), size_t{1} << 20);
  EXPECT_FALSE(LanguageFile::Parse("Key=no sections").Read("", "Key"));
}

TEST(OpenLanguageFile, OpensOnlyAnExistingFile) {
  test::TempDir dir;
  test::WriteText(dir / "Deutsch.ln", "\xEF\xBB\xBF[Misc]\r\nTextImageXofY=Bild %d von %d\r\n");
  std::filesystem::create_directory(dir / "Folder.ln");
  const auto file = OpenLanguageFile(dir.Path().string(), "Deutsch.ln");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Read("Misc", "TextImageXofY"), "Bild %d von %d");
  EXPECT_TRUE(OpenLanguageFile(dir.Path().string() + "/", "Deutsch.ln"));
  EXPECT_FALSE(OpenLanguageFile(dir.Path().string(), "Missing.ln"));
  EXPECT_FALSE(OpenLanguageFile(dir.Path().string(), ""));
  EXPECT_FALSE(OpenLanguageFile(dir.Path().string(), "Folder.ln"));
}

}  // namespace
}  // namespace kelmora
