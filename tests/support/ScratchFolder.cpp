#include "support/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

ScratchFolder::ScratchFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base == '/' ? base : "/tmp") + "/corvox-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a test folder in " + pattern);
  m_path = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void ScratchFolder::WriteText(const std::string& name, const std::string& content) const {
  Write(File(name), std::vector<uint8_t>(content.begin(), content.end()));
}

std::string ScratchFolder::ReadText(const std::string& name) const {
  const std::vector<uint8_t> bytes = Read(File(name));
  return std::string(bytes.begin(), bytes.end());
}

std::set<std::string> ScratchFolder::Names(const std::string& subFolder) const {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(File(subFolder)))
    names.insert(entry.path().filename().string());
  return names;
}

void ScratchFolder::Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ScratchFolder::Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
