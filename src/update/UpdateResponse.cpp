#include "update/UpdateResponse.h"

#include <algorithm>

namespace {

constexpr std::string_view kOpenTag = "<resp>";
constexpr std::string_view kCloseTag = "</resp>";

bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

char Lower(unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); }

}  // namespace

std::optional<std::string> DownloadAddressFromResponse(std::string_view response) {
  while (!response.empty() && IsSpace(response.front())) response.remove_prefix(1);
  while (!response.empty() && IsSpace(response.back())) response.remove_suffix(1);
  std::string text(response.size(), '\0');
  std::transform(response.begin(), response.end(), text.begin(), [](unsigned char c) { return Lower(c); });
  if (text.size() < kOpenTag.size() + kCloseTag.size() || !text.starts_with(kOpenTag) || !text.ends_with(kCloseTag)) {
    return std::nullopt;
  }
  return text.substr(kOpenTag.size(), text.size() - kOpenTag.size() - kCloseTag.size());
}

bool IsWebAddress(std::string_view address) {
  std::string_view rest;
  for (std::string_view scheme : {"http://", "https://"}) {
    if (address.size() > scheme.size() && std::equal(scheme.begin(), scheme.end(), address.begin(), [](char a, char b) {
          return a == Lower(static_cast<unsigned char>(b));
        })) {
      rest = address.substr(scheme.size());
    }
  }
  if (rest.empty() || rest.front() == '/' || rest.front() == '?' || rest.front() == '#') return false;
  return std::none_of(address.begin(), address.end(), [](unsigned char c) { return c <= ' ' || c == 0x7f; });
}
