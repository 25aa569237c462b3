#pragma once

// The user's own folders. Each call reads the environment afresh and may be made from any
// thread; none keeps state.

#include <string>
#include <string_view>

// $HOME, else the home folder of the user's account entry; empty when neither is known.
std::string GetHomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else home + "/.config".
std::string GetConfigFolder();

// The music folder: XDG_MUSIC_DIR from <config folder>/user-dirs.dirs, else home + "/Music";
// created when missing (failure ignored: the path is still returned). Empty without a home.
std::string GetMusicFolder();

// XDG_MUSIC_DIR of a user-dirs.dirs text ("$HOME/..." with home expanded, or an absolute path);
// empty when the text names none or names it in a form it does not support.
std::string ParseUserDirsMusicFolder(std::string_view userDirsText, const std::string& home);
