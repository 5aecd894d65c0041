#include "shell/command_line.h"

#include <gtest/gtest.h>

#include "localisation/lang_text.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

TEST(IsHelpRequest, FollowsTheThreeRules) {
  const std::pair<const char*, bool> cases[] = {
      {"/?", true},      {"-?", true},         {"x?", true},
      {"??", true},      {"/?anything", true}, {"/help", true},
      {"/HELP", true},   {"/hElP", true},      {"-help", true},
      {"-HELP", false},  {"-Help", false},     {"--help", false},
      {"/help ", false}, {"/helpme", false},   {"?", false},
      {"?/", false},     {"", false},          {"/settings.km2", false},
  };
  for (const auto& [param, expected] : cases) EXPECT_EQ(IsHelpRequest(param), expected) << param;
}

TEST(ParseCommandLine, ModesAndParameters) {
  EXPECT_EQ(ParseCommandLine({}).mode, StartMode::kInteractive);

  const CommandLine help = ParseCommandLine({"/HELP", "/in", "/out"});
  EXPECT_EQ(help.mode, StartMode::kHelp);
  EXPECT_EQ(help.message,
            "1st param is full path of \".km2\" file to use\r\n"
            "2nd param is path for input files\r\n"
            "3rd param is path for output files");
  EXPECT_TRUE(help.settings_file.empty());

  const CommandLine capitals = ParseCommandLine({"-HELP"});
  EXPECT_EQ(capitals.mode, StartMode::kBatch);
  EXPECT_EQ(capitals.settings_file, "-HELP");
  EXPECT_FALSE(capitals.InputPath);
  EXPECT_FALSE(capitals.OutputPath);

  const CommandLine all = ParseCommandLine({"/g/s.km2", "/in dir", "", "ignored"});
  EXPECT_EQ(all.mode, StartMode::kBatch);
  EXPECT_EQ(all.settings_file, "/g/s.km2");
  EXPECT_EQ(all.InputPath, "/in dir");
  EXPECT_EQ(all.OutputPath, "");

  const CommandLine empty = ParseCommandLine({"", "/in", "/out"});
  EXPECT_EQ(empty.mode, StartMode::kUsageError);
  EXPECT_NE(empty.message.find("settings file"), std::string::npos);
}

TEST(ParseCommandLine, HelpTextComesThroughTheLanguage) {
  SetCurrentLanguage(std::make_shared<const LanguageFile>(
      LanguageFile::Parse("[Misc]\nCommandLineHelp1=Erstens*|*noch\nCommandLineHelp2=Zweitens\n")));
  const CommandLine help = ParseCommandLine({"-?"});
  SetCurrentLanguage(nullptr);
  EXPECT_EQ(help.message, "Erstens\r\nnoch\r\nZweitens\r\n");
}

class PrepareBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteText(dir_ / "default.km2",
                    "[Files]\nInputPath=/default/in\n[MoreLayout]\nTitle=Default title\n");
    test::WriteText(dir_ / "batch.km2",
                    "[Files]\nInputPath=/file/in\nOutputPath=/file/out\n"
                    "WebSiteExtension=.HTM\n[ThumbsNImages]\nQualityImages=0\nFilterIndex=9\n");
    settings_.LoadFromFile(dir_ / "default.km2");
  }
  KM_Class Prepare(std::vector<std::string> params) {
    const CommandLine command_line = ParseCommandLine(params);
    EXPECT_EQ(command_line.mode, StartMode::kBatch);
    KM_Class settings = settings_;
    PrepareBatchSettings(command_line, settings);
    return settings;
  }
  test::TempDir dir_;
  KM_Class settings_;
};

TEST_F(PrepareBatch, FoldersFromTheFileUnlessTheCommandLineGivesThem) {
  const KM_Class one = Prepare({dir_ / "batch.km2"});
  EXPECT_EQ(one.InputPath, "/file/in");
  EXPECT_EQ(one.OutputPath, "/file/out");
  const KM_Class two = Prepare({dir_ / "batch.km2", "/cmd/in"});
  EXPECT_EQ(two.InputPath, "/cmd/in");
  EXPECT_EQ(two.OutputPath, "/file/out");
  const KM_Class three = Prepare({dir_ / "batch.km2", "/cmd/in", "/cmd/out"});
  EXPECT_EQ(three.InputPath, "/cmd/in");
  EXPECT_EQ(three.OutputPath, "/cmd/out");
}

TEST_F(PrepareBatch, TheNamedFileDecidesKeyByKeyAndTheWindowLimitsApply) {
  settings_.LockInputPath = true;
  settings_.LockOutputPath = true;
  const KM_Class s = Prepare({dir_ / "batch.km2"});
  EXPECT_EQ(s.InputPath, "/file/in");
  EXPECT_EQ(s.Title, "");
  EXPECT_EQ(s.WebSiteExtension, ".htm");
  EXPECT_EQ(s.QualityImages, 1);
  EXPECT_EQ(s.FilterIndex, -1);
  EXPECT_FALSE(s.LockInputPath);
  EXPECT_FALSE(s.LockOutputPath);
}

TEST_F(PrepareBatch, AMissingSettingsFileLoadsAsAnEmptyOne) {
  const KM_Class s = Prepare({dir_ / "missing.km2", "/cmd/in"});
  EXPECT_EQ(s.InputPath, "/cmd/in");
  EXPECT_EQ(s.OutputPath, "");
  EXPECT_EQ(s.Title, "");
  EXPECT_EQ(s.ThumbPagesName, "page");
  EXPECT_TRUE(s.HTMLThumbnails.empty());
}

}  // namespace
}  // namespace kelmora
