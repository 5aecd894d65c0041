#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/program_folders.h"
#include "settings/km_class.h"

namespace kelmora {

// Files of the program folders.
inline constexpr std::string_view kProgramIniName = "km.ini";
inline constexpr std::string_view kDefaultSettingsName = "default.km2";
// The language used when km.ini names none.
inline constexpr std::string_view kDefaultLanguageFile = "Custom.ln";

// Where the program's own files are. From a build folder or an unpacked tree whose
// executable folder is writable and holds default.km2, that folder is read and written alike.
// Otherwise the program is installed: it reads the user's folder ($XDG_CONFIG_HOME/kelmora,
// by default ~/.config/kelmora) first and the shared data folder (share/kelmora beside the
// executables' bin folder, /usr/share/kelmora for /usr/bin) second, and writes only into the
// user's folder. The pure form takes the executable folder and the user's folder.
ProgramFolders LocateProgramFolders(const std::string& executable_folder,
                                    const std::string& user_folder);
ProgramFolders LocateProgramFolders();

// The language file named by Settings / Language of the first km.ini found;
// kDefaultLanguageFile when there is none, it lacks the key or it cannot be read.
std::string ReadLanguageChoice(const ProgramFolders& folders);

// Remembers the user's language in the write folder's km.ini, starting from the km.ini that
// was read (so its other lines stay) and creating the folder and file when needed. False
// when km.ini cannot be read or written.
bool SaveLanguageChoice(const ProgramFolders& folders, const std::string& language_file);

// The language file called language_file: the first read folder's file of exactly that name,
// otherwise the first file whose name matches without regard to letter case (as km.ini and
// the language list name it), folder by folder. Empty when there is none or the name is not
// a plain file name.
std::string FindLanguageFile(const ProgramFolders& folders, const std::string& language_file);

// Makes the language file that FindLanguageFile gives the current language, or none when
// there is no such file (every text then is its built-in default). True when a file was
// opened; a file that exists but cannot be read raises EFileError.
bool LoadLanguage(const ProgramFolders& folders, const std::string& language_file);

// The language files (extension ".ln" in any letter case) of every read folder, each name
// once, sorted by name; a name in several folders is the earliest folder's file.
std::vector<ProgramFile> ListLanguageFiles(const ProgramFolders& folders);

// Loads the first default.km2 found into settings; without one the record takes the
// defaults and empty templates.
void LoadDefaultSettings(KM_Class& settings, const ProgramFolders& folders);

struct StartupState {
  ProgramFolders folders;
  std::string LanguageFile;  // as named by km.ini
  bool language_loaded = false;
};

// Everything start-up does before a window is shown or a batch run starts: reads km.ini,
// loads its language as the current one, and loads default.km2 into settings (a missing
// file gives the defaults and empty templates). Front ends then show the record or, with
// command-line parameters, go on with ParseCommandLine.
StartupState StartUp(KM_Class& settings, const ProgramFolders& folders);
StartupState StartUp(KM_Class& settings);

}  // namespace kelmora
