#pragma once

#include <string>
#include <string_view>

#include "settings/km_class.h"

namespace kelmora {

// Files of the program folder.
inline constexpr std::string_view kProgramIniName = "km.ini";
inline constexpr std::string_view kDefaultSettingsName = "default.km2";
// The language used when km.ini names none.
inline constexpr std::string_view kDefaultLanguageFile = "Custom.ln";

// The folder of the running executable followed by the separator: it holds km.ini,
// default.km2 and the language files. Empty (the working folder) if the system cannot
// say where the executable is.
std::string ProgramFolder();

// The language file named by Settings / Language of km.ini in the program folder;
// kDefaultLanguageFile when km.ini or the key is missing or km.ini cannot be read.
std::string ReadLanguageChoice(const std::string& program_folder);

// Remembers the user's language in km.ini, creating it if needed and keeping its other
// lines. False when km.ini cannot be read or written.
bool SaveLanguageChoice(const std::string& program_folder, const std::string& language_file);

// The name of the language file to open for the name km.ini gives: the name itself when a
// file of exactly that name is in the program folder, else the first file whose name
// differs from it only in letter case, else the name unchanged.
std::string FindLanguageFileName(const std::string& program_folder, const std::string& name);

// Makes the language file of the program folder the current language, or none when there
// is no such file (every text then is its built-in default). True when a file was opened;
// a file that exists but cannot be read raises EFileError.
bool LoadLanguage(const std::string& program_folder, const std::string& language_file);

struct StartupState {
  std::string ProgramFolder;  // ends with the separator
  std::string LanguageFile;   // as named by km.ini
  bool language_loaded = false;
};

// Everything start-up does before a window is shown or a batch run starts: reads km.ini,
// loads its language as the current one, and loads default.km2 of the program folder into
// settings (a missing file gives the defaults and empty templates). Front ends then show
// the record or, with command-line parameters, go on with ParseCommandLine.
StartupState StartUp(KM_Class& settings, const std::string& program_folder);
StartupState StartUp(KM_Class& settings);

}  // namespace kelmora
