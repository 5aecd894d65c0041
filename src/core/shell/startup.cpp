#include "shell/startup.h"

#include <unistd.h>

#include "common/ascii_text.h"
#include "common/errors.h"
#include "localisation/lang_text.h"
#include "localisation/language_file.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "settings/ini_file.h"

namespace kelmora {
namespace {

constexpr std::string_view kLanguageSection = "Settings";
constexpr std::string_view kLanguageKey = "Language";
constexpr std::string_view kLanguageExtension = ".ln";
// The shared data folder, relative to the folder of the installed executables.
constexpr std::string_view kSharedDataFromExecutables = KELMORA_SHARED_DATA_FROM_BIN;

// A folder the program may treat as its own: it can write there and it holds the default
// settings, as the build folder and an unpacked tree do.
bool IsSelfContainedFolder(const std::string& folder) {
  return !folder.empty() && IsExistingFile(folder + std::string(kDefaultSettingsName)) &&
         ::access(folder.c_str(), W_OK) == 0;
}

}  // namespace

ProgramFolders LocateProgramFolders(const std::string& executable_folder,
                                    const std::string& user_folder) {
  std::string folder = executable_folder;
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  if (folder.empty() || IsSelfContainedFolder(folder)) return SingleProgramFolder(folder);
  return InstalledProgramFolders(user_folder, folder + std::string(kSharedDataFromExecutables));
}

ProgramFolders LocateProgramFolders() {
  return LocateProgramFolders(ExecutableFolder(), UserConfigFolder("kelmora"));
}

std::string ReadLanguageChoice(const ProgramFolders& folders) {
  const std::string path = FindProgramFile(folders, kProgramIniName);
  if (path.empty()) return std::string(kDefaultLanguageFile);
  try {
    return IniFile::Load(path).ReadString(kLanguageSection, kLanguageKey, kDefaultLanguageFile);
  } catch (const EKelmora&) {
    return std::string(kDefaultLanguageFile);
  }
}

bool SaveLanguageChoice(const ProgramFolders& folders, const std::string& language_file) {
  IniFile ini;
  const std::string read_path = FindProgramFile(folders, kProgramIniName);
  if (!read_path.empty()) {
    try {
      ini = IniFile::Load(read_path);
    } catch (const EKelmora&) {
      return false;
    }
  }
  const std::string write_path = ProgramFileForWriting(folders, kProgramIniName);
  if (write_path.empty()) return false;
  ini.WriteString(kLanguageSection, kLanguageKey, language_file);
  return WriteFileAtomically(write_path, ini.Serialise());
}

std::string FindLanguageFile(const ProgramFolders& folders, const std::string& language_file) {
  if (!IsPlainFileName(language_file)) return "";
  // An exact name wins in any folder, so the file picked from the language list is the one
  // opened even when another folder has the name in other letters.
  std::string path = FindProgramFile(folders, language_file);
  if (!path.empty()) return path;
  for (const std::string& folder : folders.read_folders) {
    for (const FolderFile& file : ListFolderFiles(folder, /*include_hidden=*/true)) {
      if (EqualIgnoringCase(file.Name, language_file)) return folder + file.Name;
    }
  }
  return "";
}

bool LoadLanguage(const ProgramFolders& folders, const std::string& language_file) {
  std::shared_ptr<const LanguageFile> language;
  const std::string path = FindLanguageFile(folders, language_file);
  if (!path.empty()) {
    const size_t name_start = path.rfind('/') + 1;
    language = OpenLanguageFile(path.substr(0, name_start), path.substr(name_start));
  }
  const bool loaded = language != nullptr;
  SetCurrentLanguage(std::move(language));
  return loaded;
}

std::vector<ProgramFile> ListLanguageFiles(const ProgramFolders& folders) {
  std::vector<ProgramFile> files = ListProgramFiles(folders, "*");
  std::erase_if(files, [](const ProgramFile& file) {
    return file.Name.size() <= kLanguageExtension.size() ||
           !EqualIgnoringCase(
               std::string_view(file.Name).substr(file.Name.size() - kLanguageExtension.size()),
               kLanguageExtension);
  });
  return files;
}

void LoadDefaultSettings(KM_Class& settings, const ProgramFolders& folders) {
  const std::string path = FindProgramFile(folders, kDefaultSettingsName);
  // Without a file the record loads like from an empty one: defaults, empty templates.
  if (path.empty()) {
    settings.LoadFromIni(IniFile());
  } else {
    settings.LoadFromFile(path);
  }
}

StartupState StartUp(KM_Class& settings, const ProgramFolders& folders) {
  StartupState state;
  state.folders = folders;
  state.LanguageFile = ReadLanguageChoice(folders);
  state.language_loaded = LoadLanguage(folders, state.LanguageFile);
  LoadDefaultSettings(settings, folders);
  return state;
}

StartupState StartUp(KM_Class& settings) {
  return StartUp(settings, LocateProgramFolders());
}

}  // namespace kelmora
