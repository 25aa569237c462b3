#include "engine/OggSignature.h"

#include <fcntl.h>

#include <cctype>
#include <cerrno>
#include <string_view>

#include "platform/shell/ErrnoMessage.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/FileOperations.h"

HRESULT IsOggFile(const std::string& path, bool* ogg) {
  if (ogg == nullptr) return E_POINTER;
  *ogg = false;
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  char start[4] = {};
  const ssize_t got = file.IsValid() ? ReadAll(file.Get(), start, sizeof start) : -1;
  if (got < 0) {
    const int error = errno;
    SetErrorInfo(ErrnoMessage("Cannot read", path, error));
    return HResultFromErrno(error);
  }
  for (char& c : start) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  *ogg = std::string_view(start, static_cast<size_t>(got)).find("ogg") != std::string_view::npos;
  return S_OK;
}
