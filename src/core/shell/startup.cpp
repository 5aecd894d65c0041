#include "shell/startup.h"

#include <filesystem>
#include <system_error>

#include "common/errors.h"
#include "localisation/lang_text.h"
#include "localisation/language_file.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "settings/ini_file.h"
#include "settings/ini_text.h"

namespace kelmora {
namespace {

constexpr std::string_view kLanguageSection = "Settings";
constexpr std::string_view kLanguageKey = "Language";

std::string InProgramFolder(const std::string& program_folder, std::string_view name) {
  return program_folder + std::string(name);
}

}  // namespace

std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || !executable.has_parent_path()) return "";
  std::string folder = executable.parent_path().string();
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder;
}

std::string ReadLanguageChoice(const std::string& program_folder) {
  try {
    return IniFile::Load(InProgramFolder(program_folder, kProgramIniName))
        .ReadString(kLanguageSection, kLanguageKey, kDefaultLanguageFile);
  } catch (const EKelmora&) {
    return std::string(kDefaultLanguageFile);
  }
}

bool SaveLanguageChoice(const std::string& program_folder, const std::string& language_file) {
  const std::string path = InProgramFolder(program_folder, kProgramIniName);
  IniFile ini;
  try {
    ini = IniFile::Load(path);
  } catch (const EKelmora&) {
    return false;
  }
  ini.WriteString(kLanguageSection, kLanguageKey, language_file);
  return WriteFileAtomically(path, ini.Serialise());
}

std::string FindLanguageFileName(const std::string& program_folder, const std::string& name) {
  if (name.empty() || IsExistingFile(InProgramFolder(program_folder, name))) return name;
  for (const FolderFile& file : ListFolderFiles(program_folder, true)) {
    if (ini_text::EqualsNoCase(file.Name, name)) return file.Name;
  }
  return name;
}

bool LoadLanguage(const std::string& program_folder, const std::string& language_file) {
  std::shared_ptr<const LanguageFile> language =
      OpenLanguageFile(program_folder, FindLanguageFileName(program_folder, language_file));
  const bool loaded = language != nullptr;
  SetCurrentLanguage(std::move(language));
  return loaded;
}

StartupState StartUp(KM_Class& settings, const std::string& program_folder) {
  StartupState state;
  state.ProgramFolder = program_folder;
  state.LanguageFile = ReadLanguageChoice(program_folder);
  state.language_loaded = LoadLanguage(program_folder, state.LanguageFile);
  settings.LoadFromFile(InProgramFolder(program_folder, kDefaultSettingsName));
  return state;
}

StartupState StartUp(KM_Class& settings) {
  return StartUp(settings, ProgramFolder());
}

}  // namespace kelmora
