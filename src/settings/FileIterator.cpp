#include "settings/FileIterator.h"

CFileIterator::CFileIterator(std::string folder) : m_folder(std::move(folder)) {}

std::string CFileIterator::First() {
  m_names.clear();
  m_position = 0;
  Populate();
  return Next();
}

std::string CFileIterator::Next() { return m_position < m_names.size() ? m_names[m_position++] : std::string(); }

void CFileIterator::Populate() {
  std::vector<DirectoryEntry> entries;
  ListDirectory(m_folder, entries);
  for (const DirectoryEntry& entry : entries) {
    if (Accept(entry)) {
      m_names.push_back(entry.name);
    }
  }
}

bool CFileIterator::Accept(const DirectoryEntry&) { return true; }
