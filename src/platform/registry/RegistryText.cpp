#include "platform/registry/RegistryText.h"

#include <cstdio>

namespace {

constexpr std::string_view kHeader = "Corvox Registry Version 1";

bool HasForbiddenCharacter(std::string_view text) {
  return text.find_first_of(std::string_view("\0\n\r", 3)) != std::string_view::npos;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::string_view Trim(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string_view::npos) {
    return {};
  }
  return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) {
    return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

// Reads a quoted string at the start of text and consumes it.
bool ConsumeQuoted(std::string_view& text, std::string& result) {
  if (!ConsumePrefix(text, "\"")) {
    return false;
  }
  result.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      text.remove_prefix(i + 1);
      return true;
    }
    if (c == '\0') {
      return false;
    }
    if (c == '\\') {
      if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
        return false;
      }
      ++i;
    }
    result += text[i];
  }
  return false;
}

// Comma-separated two-digit hex bytes; an empty text is no bytes.
bool ParseHexBytes(std::string_view text, std::vector<uint8_t>& bytes) {
  bytes.clear();
  if (text.empty()) {
    return true;
  }
  for (;;) {
    if (text.size() < 2 || HexDigitValue(text[0]) < 0 || HexDigitValue(text[1]) < 0) {
      return false;
    }
    bytes.push_back(static_cast<uint8_t>(HexDigitValue(text[0]) * 16 + HexDigitValue(text[1])));
    text.remove_prefix(2);
    if (text.empty()) {
      return true;
    }
    if (!ConsumePrefix(text, ",")) {
      return false;
    }
  }
}

// Up to eight hex digits, consumed.
bool ConsumeHexNumber(std::string_view& text, size_t maxDigits, uint32_t& number) {
  size_t digits = 0;
  number = 0;
  while (digits < text.size() && digits < maxDigits && HexDigitValue(text[digits]) >= 0) {
    number = number * 16 + static_cast<uint32_t>(HexDigitValue(text[digits]));
    ++digits;
  }
  text.remove_prefix(digits);
  return digits > 0;
}

bool ParseValueData(std::string_view text, RegistryValue& value) {
  std::string quoted;
  if (ConsumeQuoted(text, quoted)) {
    if (!text.empty()) {
      return false;
    }
    value.type = REG_SZ;
    value.data.assign(quoted.begin(), quoted.end());
    value.data.push_back(0);
    return true;
  }
  uint32_t number = 0;
  if (ConsumePrefix(text, "dword:")) {
    if (text.size() != 8 || !ConsumeHexNumber(text, 8, number) || !text.empty()) {
      return false;
    }
    value.type = REG_DWORD;
    value.data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number >> 16),
                  static_cast<uint8_t>(number >> 24)};
    return true;
  }
  if (ConsumePrefix(text, "hex:")) {
    value.type = REG_BINARY;
    return ParseHexBytes(text, value.data);
  }
  if (ConsumePrefix(text, "hex(") && ConsumeHexNumber(text, 8, number) && ConsumePrefix(text, "):")) {
    value.type = number;
    return ParseHexBytes(text, value.data);
  }
  return false;
}

bool ParseValueLine(std::string_view line, RegistryValueMap& values) {
  std::string name;
  if (!ConsumePrefix(line, "@") && (!ConsumeQuoted(line, name) || !IsValidValueName(name))) {
    return false;
  }
  RegistryValue value;
  if (!ConsumePrefix(line, "=") || !ParseValueData(line, value)) {
    return false;
  }
  values[name] = std::move(value);
  return true;
}

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') {
      quoted += '\\';
    }
    quoted += c;
  }
  return quoted + '"';
}

bool FitsQuotedForm(const RegistryValue& value) {
  if (value.type != REG_SZ || value.data.empty() || value.data.back() != 0) {
    return false;
  }
  const std::string_view text(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1);
  return !HasForbiddenCharacter(text);
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) {
      text += ',';
    }
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0xf];
  }
  return text;
}

}  // namespace

bool IsValidKeyPath(std::string_view path) {
  return !path.empty() && path.front() != '\\' && path.back() != '\\' && path.find("\\\\") == std::string_view::npos &&
         !HasForbiddenCharacter(path);
}

bool IsValidValueName(std::string_view name) { return !HasForbiddenCharacter(name); }

bool ParseRegistryText(std::string_view text, RegistryKeyMap& keys) {
  keys.clear();
  if (text.empty()) {
    return true;
  }
  bool headerSeen = false;
  RegistryValueMap* currentKey = nullptr;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    bool valid = true;
    if (!headerSeen) {
      valid = headerSeen = line == kHeader;
    } else if (line.empty() || line.front() == ';') {
      continue;
    } else if (line.front() == '[') {
      const std::string_view path = line.substr(1, line.size() - 1 - (line.back() == ']' ? 1 : 0));
      valid = line.size() >= 2 && line.back() == ']' && IsValidKeyPath(path);
      if (valid) {
        currentKey = &keys[std::string(path)];
      }
    } else {
      valid = currentKey && ParseValueLine(line, *currentKey);
    }
    if (!valid) {
      keys.clear();
      return false;
    }
  }
  return true;
}

std::string FormatRegistryValueData(const RegistryValue& value) {
  if (FitsQuotedForm(value)) {
    return Quote(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
  }
  if (value.type == REG_DWORD && value.data.size() == 4) {
    const uint32_t number =
        value.data[0] | value.data[1] << 8 | value.data[2] << 16 | static_cast<uint32_t>(value.data[3]) << 24;
    char text[32];
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return text;
  }
  if (value.type == REG_BINARY) {
    return "hex:" + HexBytes(value.data);
  }
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
  return prefix + HexBytes(value.data);
}

std::string FormatRegistryText(const RegistryKeyMap& keys) {
  std::string text(kHeader);
  text += '\n';
  for (const auto& [path, values] : keys) {
    text += "\n[" + path + "]\n";
    for (const auto& [name, value] : values) {
      text += (name.empty() ? std::string("@") : Quote(name)) + "=" + FormatRegistryValueData(value) + "\n";
    }
  }
  return text;
}
