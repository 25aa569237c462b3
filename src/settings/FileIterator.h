#pragma once

// Lists the names in one folder that a subclass's Accept lets through, in the order the system
// returns them. Not shared between threads.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/shell/FileOperations.h"

class CFileIterator {
 public:
  explicit CFileIterator(std::string folder);
  virtual ~CFileIterator() = default;

  // Populates the list afresh and returns its first name; empty when there is none.
  std::string First();
  // The name after the last one returned; empty at the end.
  std::string Next();

 protected:
  // Lists the folder (every entry, the pattern "*"), offering each to Accept and keeping the
  // accepted names in listing order. A folder that cannot be listed gives no names.
  virtual void Populate();
  // Whether to keep an entry; every entry by default.
  virtual bool Accept(const DirectoryEntry& entry);

  const std::string& Folder() const { return m_folder; }

 private:
  std::string m_folder;
  std::vector<std::string> m_names;
  size_t m_position = 0;
};
