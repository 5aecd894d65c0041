#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// Where the program keeps its own files (km.ini, default.km2, language files, message
// declaration files). Run from a build folder, one folder is both read and written. Installed,
// the program reads the user's folder first and the shared data folder second, and writes
// only into the user's folder, which is created on the first write.
struct ProgramFolders {
  // Searched in this order; every entry ends with "/".
  std::vector<std::string> read_folders;
  // Where every file the program writes goes; ends with "/". Empty when no such folder is
  // known (no home folder): every write then fails.
  std::string write_folder;
};

// The one folder of a build folder or an unpacked tree: read and written alike. An empty
// folder stands for the working folder.
ProgramFolders SingleProgramFolder(const std::string& folder);

// The installed layout: the user's folder first, then the shared one (left out when it is
// the same folder). An empty user folder leaves only the shared folder to read and nothing
// to write.
ProgramFolders InstalledProgramFolders(const std::string& user_folder,
                                       const std::string& shared_folder);

// The folder of the running executable with a trailing "/"; empty when the system cannot
// say where the executable is.
std::string ExecutableFolder();

// The user's settings folder for a program called app_name, with a trailing "/":
// $XDG_CONFIG_HOME/app_name when that variable holds an absolute path, otherwise
// $HOME/.config/app_name, the home folder coming from the password database when HOME is
// unset or not absolute. Empty when no home folder is known. The pure form takes the two
// variables' values (nullptr for unset) and the password database's home folder.
std::string UserConfigFolder(std::string_view app_name, const char* xdg_config_home,
                             const char* home, const std::string& account_home);
std::string UserConfigFolder(std::string_view app_name);

// Whether name is a plain file name: not empty, no "/", not "." or "..". Names coming from
// a settings file must be such names before they are looked up in the program folders.
bool IsPlainFileName(std::string_view name);

// The full path of the first read folder that holds a regular file (or a link to one) of
// that name; empty when none does or the name is not a plain file name.
std::string FindProgramFile(const ProgramFolders& folders, std::string_view name);

// The full path under which a program file of that name is written, after creating the
// write folder with its missing parents; empty when the name is not a plain file name, no
// write folder is known or it cannot be created.
std::string ProgramFileForWriting(const ProgramFolders& folders, std::string_view name);

struct ProgramFile {
  std::string Name;  // without folder
  std::string path;  // the file that FindProgramFile gives for this name
};

// The files of every read folder whose name matches mask (see MatchesMask), each name once,
// sorted by name; a name found in several folders is the one of the earliest folder.
std::vector<ProgramFile> ListProgramFiles(const ProgramFolders& folders, std::string_view mask);

}  // namespace kelmora
