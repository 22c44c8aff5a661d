// Where the settings file lives. Normally beside the executable; when the
// program is installed system-wide (a folder the user cannot write, or a
// system program folder such as /usr/bin), a file there could never be
// created or does not belong there, so the user's configuration folder takes
// its place.
#pragma once

#include <functional>
#include <string>

namespace data {

inline constexpr const char* kProfileFolderName = "Tarnquill";

// What the choice depends on, so that tests can decide it without touching
// the real folders or environment.
struct ProfileEnvironment {
  std::string xdg_config_home;  // $XDG_CONFIG_HOME, empty when unset
  std::string home;             // $HOME, empty when unset
  // Whether a file exists at the path.
  std::function<bool(const std::string& path)> file_exists;
  // Whether the user may create files in the folder.
  std::function<bool(const std::string& folder)> folder_writable;

  // The process's own environment and file system.
  static ProfileEnvironment FromProcess();
};

// Whether `app_dir` is one of the system's program folders (/usr/bin,
// /usr/local/bin, /bin, /opt/NAME/bin and the like), where files other than
// programs do not belong even when the superuser could write them.
bool IsSystemProgramFolder(const std::string& app_dir);

// The settings file for a program in `app_dir` (ending in '/'), named
// `file_name`:
//  - app_dir + file_name when that file exists (an existing file always
//    wins) or when app_dir is writable and not a system program folder;
//  - otherwise $XDG_CONFIG_HOME/Tarnquill/file_name when XDG_CONFIG_HOME is
//    an absolute path, else $HOME/.config/Tarnquill/file_name;
//  - app_dir + file_name again when neither variable gives a folder.
// Never creates anything.
std::string ChooseProfilePath(const std::string& app_dir, const std::string& file_name,
                              const ProfileEnvironment& env);

// Before a profile write: creates the folders above `profile_path` that are
// missing (new ones readable by the user only, as the file holds the
// password). Returns false when a folder cannot be made; the write then
// fails as it would have anyway.
bool PrepareProfileFolder(const std::string& profile_path);

}  // namespace data
