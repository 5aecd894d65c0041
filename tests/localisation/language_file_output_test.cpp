#include "localisation/language_file_output.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

TEST(LanguageFileOutput, Keys) {
  EXPECT_EQ(FormCaptionKey("KM"), "KM.Caption");
  EXPECT_EQ(TextPropKey("KM", "ButtonQuit", "Hint"), "KM.ButtonQuit.Hint");
  EXPECT_EQ(ListItemKey("KM", "SortMode", "Items", 3), "KM.SortMode.Items[3]");
  EXPECT_EQ(ListItemKey("KM", "outMemoHTMLImages", "lines", 12), "KM.outMemoHTMLImages.lines[12]");
}

TEST(LanguageFileOutput, WindowTextsTravelOnOneLine) {
  struct Case {
    const char* text;
    const char* value;
    const char* read_back;
  };
  const Case cases[] = {
      {"plain", "plain", "plain"},
      {"one\ntwo", "one*|*two", "one\ntwo"},
      {"one\r\ntwo\rthree\n", "one*|*two*|*three*|*", "one\ntwo\nthree\n"},
      {"\n\n", "*|**|*", "\n\n"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowTextToValue(c.text), c.value) << c.text;
    EXPECT_EQ(WindowTextFromValue(c.value), c.read_back) << c.value;
  }
  EXPECT_EQ(WindowTextFromValue("half *| marker *|"), "half *| marker *|");
}

TEST(LanguageFileOutput, UpdatesAnExistingFileAndSavesItWhole) {
  test::TempDir folder;
  const std::string path = folder / std::string(kCustomLanguageFileName);
  IniFile fresh = LoadLanguageFileForUpdate(path);  // no file yet: empty
  EXPECT_EQ(fresh.Serialise(), "");

  test::WriteText(path, "; note\r\n[KM]\r\nKM.Caption=old\r\nKM.Other.Caption=kept\r\n");
  IniFile file = LoadLanguageFileForUpdate(path);
  file.WriteString("KM", "KM.Caption", "new");
  file.WriteString("Misc", "TextColor", "Text color");
  SaveLanguageFile(file, path);
  EXPECT_EQ(test::ReadText(path),
            "; note\r\n[KM]\r\nKM.Caption=new\r\nKM.Other.Caption=kept\r\n"
            "[Misc]\r\nTextColor=Text color\r\n");

  EXPECT_THROW(SaveLanguageFile(file, folder / "missing/Custom.ln"), EFileError);
}

}  // namespace
}  // namespace kelmora
