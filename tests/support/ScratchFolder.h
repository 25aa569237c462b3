#pragma once
// A fresh folder for one test's files, removed with everything in it when the test ends.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

  // Files inside the folder, by name.
  void WriteText(const std::string& name, const std::string& content) const;
  std::string ReadText(const std::string& name) const;
  std::set<std::string> Names(const std::string& subFolder = ".") const;

  // Files anywhere, by path.
  static void Write(const std::string& path, const std::vector<uint8_t>& bytes);
  // Empty when the file does not exist.
  static std::vector<uint8_t> Read(const std::string& path);

 private:
  std::string m_path;
};
