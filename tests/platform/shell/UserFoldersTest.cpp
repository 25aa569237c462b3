#include <gtest/gtest.h>

#include <filesystem>

#include "support/ScratchFolder.h"
#include "support/ScopedEnvironment.h"
#include "platform/shell/UserFolders.h"

TEST(ShellUserFolders, MusicFolderLineOfUserDirs) {
  const std::string home = "/home/ann";
  EXPECT_EQ(ParseUserDirsMusicFolder("# comment\nXDG_MUSIC_DIR=\"$HOME/Music\"\n", home), "/home/ann/Music");
  EXPECT_EQ(ParseUserDirsMusicFolder("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n  XDG_MUSIC_DIR=\"$HOME/Audio/Mine\"", home),
            "/home/ann/Audio/Mine");
  EXPECT_EQ(ParseUserDirsMusicFolder("XDG_MUSIC_DIR=\"/srv/music\"\n", home), "/srv/music");
  EXPECT_EQ(ParseUserDirsMusicFolder("XDG_MUSIC_DIR=\"$HOME/My \\\"Tunes\\\"\"\n", home), "/home/ann/My \"Tunes\"");
  EXPECT_EQ(ParseUserDirsMusicFolder("XDG_MUSIC_DIR=\"$HOME/\"\n", home), "/home/ann");
  // Forms the format does not allow are ignored.
  EXPECT_EQ(ParseUserDirsMusicFolder("XDG_MUSIC_DIR=\"Music\"\n", home), "");
  EXPECT_EQ(ParseUserDirsMusicFolder("XDG_MUSIC_DIR=\"$HOME/Music\n", home), "");
  EXPECT_EQ(ParseUserDirsMusicFolder("# XDG_MUSIC_DIR=\"$HOME/Music\"\n", home), "");
}

TEST(ShellUserFolders, MusicFolderComesFromUserDirsElseHomeMusicAndIsCreated) {
  ScratchFolder home;
  ScopedEnvironment homeVariable("HOME", home.Path());
  ScopedEnvironment configVariable("XDG_CONFIG_HOME", home.File("config"));

  EXPECT_EQ(GetMusicFolder(), home.File("Music"));
  EXPECT_TRUE(std::filesystem::is_directory(home.File("Music")));

  std::filesystem::create_directory(home.File("config"));
  home.WriteText("config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Sound/Recordings\"\n");
  EXPECT_EQ(GetMusicFolder(), home.File("Sound/Recordings"));
  EXPECT_TRUE(std::filesystem::is_directory(home.File("Sound/Recordings")));
}

TEST(ShellUserFolders, ConfigFolderIgnoresARelativeXdgConfigHome) {
  ScratchFolder home;
  ScopedEnvironment homeVariable("HOME", home.Path());
  ScopedEnvironment configVariable("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(GetConfigFolder(), home.File(".config"));
}
