#include "cli/SettingsCommand.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <type_traits>

#include "platform/registry/RegistryText.h"
#include "platform/registry/RegistryTypes.h"
#include "settings/SettingCatalogue.h"
#include "settings/SettingsStore.h"

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "usage: corvox settings list\n"
    "       corvox settings get NAME\n"
    "       corvox settings set NAME VALUE\n"
    "       corvox settings set NAME field=value [field=value...]\n";

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
// clang 14 does not deduce aggregate template arguments by itself.
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

template <typename Field>
std::string FormatField(Field value) {
  if constexpr (std::is_floating_point_v<Field>) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
  } else if constexpr (std::is_signed_v<Field>) {
    return std::to_string(static_cast<long long>(value));
  } else {
    return std::to_string(static_cast<unsigned long long>(value));
  }
}

// A whole decimal number from minimum to maximum, the whole text and nothing else.
bool ParseWholeNumber(const std::string& text, long long minimum, long long maximum, long long& number) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, number);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && number >= minimum && number <= maximum;
}

std::string RangeText(long long minimum, long long maximum) {
  return minimum == 0 && maximum == 1
             ? std::string("0 or 1")
             : "a whole number from " + std::to_string(minimum) + " to " + std::to_string(maximum);
}

template <typename Field>
bool ParseField(const std::string& text, const RecordField& field, Field& value, std::string& problem) {
  if constexpr (std::is_floating_point_v<Field>) {
    const char* end = text.data() + text.size();
    Field number = 0;
    const auto result = std::from_chars(text.data(), end, number);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(number)) {
      problem = std::string(field.name) + " must be a number, not " + Quoted(text);
      return false;
    }
    value = number;
  } else {
    const long long minimum = field.isFlag ? 0 : std::numeric_limits<Field>::min();
    const long long maximum = field.isFlag ? 1 : static_cast<long long>(std::numeric_limits<Field>::max());
    long long number = 0;
    if (!ParseWholeNumber(text, minimum, maximum, number)) {
      problem = std::string(field.name) + " must be " + RangeText(minimum, maximum) + ", not " + Quoted(text);
      return false;
    }
    value = static_cast<Field>(number);
  }
  return true;
}

template <typename Record>
std::vector<std::string> FieldTexts(const Record& record) {
  std::vector<std::string> texts;
  Record::VisitFields(record, [&](const RecordField& field, const auto& member) {
    texts.push_back(std::string(field.name) + "=" + FormatField(member));
  });
  return texts;
}

// The lines that show a declared value, or nothing when it is malformed.
std::optional<std::vector<std::string>> DescribeValue(const SettingDeclaration& declaration,
                                                      const RegistryValue& value) {
  return std::visit(Overloaded{
                        [&](const DwordSetting*) -> std::optional<std::vector<std::string>> {
                          uint32_t number = 0;
                          if (!DecodeDwordValue(value, number)) {
                            return std::nullopt;
                          }
                          return std::vector<std::string>{std::to_string(number)};
                        },
                        [&](const StringSetting* setting) -> std::optional<std::vector<std::string>> {
                          std::string text;
                          if (!DecodeStringValue(value, setting->maxBytes, text)) {
                            return std::nullopt;
                          }
                          return std::vector<std::string>{text};
                        },
                        [&](const auto* setting) -> std::optional<std::vector<std::string>> {
                          typename std::remove_pointer_t<decltype(setting)>::RecordType record;
                          if (!DecodeRecordValue(value, record)) {
                            return std::nullopt;
                          }
                          return FieldTexts(record);
                        },
                    },
                    declaration);
}

std::string Join(const std::vector<std::string>& texts, const char* separator) {
  std::string joined;
  for (const std::string& text : texts) {
    joined += (joined.empty() ? "" : separator) + text;
  }
  return joined;
}

// What the program uses while nothing is stored; nothing for markers without a default.
std::optional<RegistryValue> DefaultValue(const NamedSetting& setting, SettingsStore& store) {
  return std::visit(Overloaded{
                        [&](const DwordSetting* declaration) -> std::optional<RegistryValue> {
                          if (!declaration->hasDefault) return std::nullopt;
                          return EncodeDwordValue(declaration->defaultValue);
                        },
                        // The open folder falls back to the output name template, as that does
                        // to the default recordings folder.
                        [&](const StringSetting*) -> std::optional<RegistryValue> {
                          std::string fileName;
                          store.GetAudioFilename(fileName);
                          return EncodeStringValue(fileName);
                        },
                        [&](const auto* declaration) -> std::optional<RegistryValue> {
                          return EncodeRecordValue(typename std::remove_pointer_t<decltype(declaration)>::RecordType{});
                        },
                    },
                    setting.declaration);
}

// Stored values, and the defaults in use for declared values that are not stored (marked so),
// in the store's name order.
int List(SettingsStore& store, std::ostream& out, std::ostream& err) {
  std::vector<std::pair<std::string, RegistryValue>> stored;
  if (!store.ReadAllValues(stored)) {
    err << "corvox settings: cannot read the settings\n";
    return kFailed;
  }
  struct Line {
    std::string name;
    std::string text;
  };
  std::vector<Line> lines;
  std::set<std::string, RegistryNameLess> storedNames;
  for (const auto& [name, value] : stored) {
    storedNames.insert(name);
    const std::optional<NamedSetting> setting = FindSetting(name);
    const auto described = setting ? DescribeValue(setting->declaration, value) : std::nullopt;
    lines.push_back({name, described ? Join(*described, " ") : FormatRegistryValueData(value)});
  }
  std::vector<NamedSetting> declared(FixedSettings().begin(), FixedSettings().end());
  int device = 0;
  store.GetCurrentDevice(device);
  declared.push_back(*FindSetting(DeviceSettingsValueName(device)));
  for (const NamedSetting& setting : declared) {
    if (storedNames.count(setting.valueName) != 0) continue;
    const std::optional<RegistryValue> value = DefaultValue(setting, store);
    if (!value) continue;
    lines.push_back({setting.valueName, Join(*DescribeValue(setting.declaration, *value), " ") + " (default)"});
  }
  std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return RegistryNameLess()(a.name, b.name); });
  for (const Line& line : lines) out << line.name << '\t' << line.text << '\n';
  return kSucceeded;
}

// The stored value, or the default in use (said on stderr, so scripts read the value alone).
int Get(const NamedSetting& setting, SettingsStore& store, std::ostream& out, std::ostream& err) {
  RegistryValue value;
  if (!store.ReadValue(setting.valueName, value)) {
    const std::optional<RegistryValue> fallback = DefaultValue(setting, store);
    if (!fallback) {
      err << "corvox settings: " << Quoted(setting.valueName) << " is not stored and has no default\n";
      return kFailed;
    }
    err << "corvox settings: " << Quoted(setting.valueName) << " is not stored; its default is in use\n";
    value = *fallback;
  }
  const auto lines = DescribeValue(setting.declaration, value);
  if (!lines) {
    err << "corvox settings: " << Quoted(setting.valueName)
        << " holds a malformed value: " << FormatRegistryValueData(value) << '\n';
    return kFailed;
  }
  for (const std::string& line : *lines) {
    out << line << '\n';
  }
  return kSucceeded;
}

// Builds the value to store from the words after the name; false with problem set when they do
// not make one.
bool BuildValue(const NamedSetting& setting, const std::vector<std::string>& words, const RegistryValue* stored,
                RegistryValue& value, std::string& problem) {
  const std::string name = Quoted(setting.valueName);
  return std::visit(
      Overloaded{
          [&](const DwordSetting* declaration) {
            long long number = 0;
            if (words.size() != 1) {
              problem = name + " takes one value";
            } else if (!ParseWholeNumber(words[0], declaration->minValue, declaration->maxValue, number)) {
              problem = name + " must be " + RangeText(declaration->minValue, declaration->maxValue) + ", not " +
                        Quoted(words[0]);
            } else {
              value = EncodeDwordValue(static_cast<uint32_t>(number));
              return true;
            }
            return false;
          },
          [&](const StringSetting* declaration) {
            if (words.size() != 1) {
              problem = name + " takes one value (quote a text with spaces)";
            } else if (words[0].size() + 1 > declaration->maxBytes) {
              problem = name + " is too long: at most " + std::to_string(declaration->maxBytes - 1) + " bytes";
            } else {
              value = EncodeStringValue(words[0]);
              return true;
            }
            return false;
          },
          [&](const auto* declaration) {
            using Record = typename std::remove_pointer_t<decltype(declaration)>::RecordType;
            Record record;
            if (stored != nullptr) {
              DecodeRecordValue(*stored, record);
            }
            for (const std::string& word : words) {
              const size_t equals = word.find('=');
              const std::string fieldName = word.substr(0, equals);
              bool found = false;
              bool parsed = false;
              Record::VisitFields(record, [&](const RecordField& field, auto& member) {
                if (!found && fieldName == field.name) {
                  found = true;
                  parsed = equals != std::string::npos && ParseField(word.substr(equals + 1), field, member, problem);
                }
              });
              if (!found) {
                std::vector<std::string> fieldNames;
                Record::VisitFields(record,
                                    [&](const RecordField& field, const auto&) { fieldNames.push_back(field.name); });
                problem = name + " has no field " + Quoted(fieldName) + " (fields: " + Join(fieldNames, ", ") + ")";
                return false;
              }
              if (!parsed) {
                problem = name + ": " + (problem.empty() ? "expected field=value, not " + Quoted(word) : problem);
                return false;
              }
            }
            value = EncodeRecordValue(record);
            return true;
          },
      },
      setting.declaration);
}

int Set(const NamedSetting& setting, const std::vector<std::string>& words, SettingsStore& store, std::ostream& err) {
  std::string problem;
  bool refused = false;
  // Built inside the store's transaction: a record's other fields are those stored right then.
  const bool written = store.UpdateValue(setting.valueName, [&](const RegistryValue* stored, RegistryValue& value) {
    refused = !BuildValue(setting, words, stored, value, problem);
    return !refused;
  });
  if (refused) {
    err << "corvox settings: " << problem << '\n';
    return kUsageError;
  }
  if (!written) {
    err << "corvox settings: cannot write " << Quoted(setting.valueName) << '\n';
    return kFailed;
  }
  return kSucceeded;
}

}  // namespace

int RunSettingsCommand(const std::vector<std::string>& args, SettingsStore& store, std::ostream& out,
                       std::ostream& err) {
  const std::string command = args.empty() ? std::string() : args[0];
  if (command == "list" && args.size() == 1) {
    return List(store, out, err);
  }
  if ((command == "get" && args.size() == 2) || (command == "set" && args.size() >= 3)) {
    const std::optional<NamedSetting> setting = FindSetting(args[1]);
    if (!setting) {
      err << "corvox settings: unknown setting " << Quoted(args[1]) << '\n';
      return kUsageError;
    }
    return command == "get" ? Get(*setting, store, out, err)
                            : Set(*setting, std::vector<std::string>(args.begin() + 2, args.end()), store, err);
  }
  err << kUsage;
  return kUsageError;
}
