#include "settings/SpawnFileIterator.h"

#include <strings.h>

namespace {

constexpr size_t kNumberDigits = 3;

int LeadingNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  int sign = 1;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    sign = text.front() == '-' ? -1 : 1;
    text.remove_prefix(1);
  }
  int number = 0;
  for (; !text.empty() && text.front() >= '0' && text.front() <= '9'; text.remove_prefix(1)) {
    number = number * 10 + (text.front() - '0');
  }
  return sign * number;
}

}  // namespace

CSpawnFileIterator::CSpawnFileIterator(std::string folder, std::string baseName, std::string extension)
    : CFileIterator(std::move(folder)), m_baseName(std::move(baseName)), m_extension(std::move(extension)) {}

bool CSpawnFileIterator::Accept(const DirectoryEntry& entry) {
  const std::string& name = entry.name;
  if (entry.isDirectory || name.size() < m_extension.size() ||
      ::strcasecmp(name.c_str() + name.size() - m_extension.size(), m_extension.c_str()) != 0) {
    return false;
  }
  const std::string_view stem(name.data(), name.size() - m_extension.size());
  return stem.substr(0, m_baseName.size()) == m_baseName &&
         (stem.size() == m_baseName.size() || stem.size() == m_baseName.size() + kNumberDigits);
}

int CSpawnFileIterator::NumberOf(const std::string& acceptedName) const {
  if (acceptedName.size() != m_baseName.size() + kNumberDigits + m_extension.size()) {
    return 0;
  }
  return LeadingNumber(std::string_view(acceptedName).substr(m_baseName.size(), kNumberDigits));
}
