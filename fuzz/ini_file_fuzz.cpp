// Settings files and km.ini are hand-edited and copied between systems: any bytes must
// load, rewrite and load again without harm, and a rewrite must be stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_check.h"
#include "settings/ini_file.h"
#include "settings/km_class.h"

using kelmora::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kelmora::fuzz::kMaxTextInput) return 0;
  using kelmora::IniFile;
  using kelmora::KM_Class;
  const std::string_view text = kelmora::fuzz::AsText(data, size);

  IniFile ini = IniFile::Parse(text);
  const std::string serialised = ini.Serialise();
  Check(IniFile::Parse(serialised).Serialise() == serialised);

  KM_Class loaded;
  loaded.LoadFromIni(ini);
  Check(loaded.Title.size() <= kelmora::kMaxIniValueLength);
  Check(loaded.InputPath.find_first_of("\r\n") == std::string::npos);

  // Saving into the file's own lines and loading again gives back every number and switch;
  // texts may lose one layer of quotes, as the value rules say.
  loaded.SaveToIni(ini);
  const std::string rewritten = ini.Serialise();
  KM_Class reloaded;
  reloaded.LoadFromIni(IniFile::Parse(rewritten));
  Check(reloaded.QualityImages == loaded.QualityImages);
  Check(reloaded.BackgroundColor == loaded.BackgroundColor);
  Check(reloaded.SubtitleIndex == loaded.SubtitleIndex);
  Check(reloaded.UseExif == loaded.UseExif);
  Check(reloaded.AutoBrowserStart == loaded.AutoBrowserStart);
  Check(reloaded.HTMLImages.size() >= loaded.HTMLImages.size());

  ini.DeleteKey("HTMLThumbnails", "Line0");
  (void)ini.CountKeys("HTMLThumbnails");
  return 0;
}
