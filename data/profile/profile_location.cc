#include "data/profile/profile_location.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace data {
namespace {

std::string Getenv(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

ProfileEnvironment ProfileEnvironment::FromProcess() {
  ProfileEnvironment env;
  env.xdg_config_home = Getenv("XDG_CONFIG_HOME");
  env.home = Getenv("HOME");
  env.file_exists = [](const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
  };
  env.folder_writable = [](const std::string& folder) {
    // The superuser passes access() everywhere; a folder without any write
    // permission bit still counts as not writable, so that a read-only
    // install keeps its settings in the user's folder for root too.
    struct stat st;
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(folder.c_str(), W_OK) == 0;
  };
  return env;
}

bool IsSystemProgramFolder(const std::string& app_dir) {
  const std::string dir = WithSlash(app_dir);
  for (const char* folder : {"/bin/", "/sbin/", "/usr/bin/", "/usr/sbin/", "/usr/games/",
                             "/usr/local/bin/", "/usr/local/sbin/", "/usr/local/games/"}) {
    if (dir == folder) return true;
  }
  // /opt/NAME/bin/
  const std::string opt = "/opt/";
  if (dir.compare(0, opt.size(), opt) == 0) {
    const size_t slash = dir.find('/', opt.size());
    return slash != std::string::npos && slash > opt.size() && dir.substr(slash) == "/bin/";
  }
  return false;
}

std::string ChooseProfilePath(const std::string& app_dir, const std::string& file_name,
                              const ProfileEnvironment& env) {
  const std::string beside = app_dir + file_name;
  if (env.file_exists && env.file_exists(beside)) return beside;
  const bool writable = !env.folder_writable || env.folder_writable(app_dir);
  if (writable && !IsSystemProgramFolder(app_dir)) return beside;
  std::string config;
  // Relative values are to be ignored, as the base directory rules say.
  if (!env.xdg_config_home.empty() && env.xdg_config_home.front() == '/') {
    config = WithSlash(env.xdg_config_home);
  } else if (!env.home.empty() && env.home.front() == '/') {
    config = WithSlash(env.home) + ".config/";
  } else {
    return beside;
  }
  return config + kProfileFolderName + "/" + file_name;
}

bool PrepareProfileFolder(const std::string& profile_path) {
  const size_t slash = profile_path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return true;
  const std::string folder = profile_path.substr(0, slash);
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  if (!PrepareProfileFolder(folder)) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace data
