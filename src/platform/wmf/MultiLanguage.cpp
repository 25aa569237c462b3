#include "platform/wmf/MultiLanguage.h"

#include <cstdlib>
#include <new>

#include "platform/shell/TextCase.h"
#include "platform/wmf/WideText.h"

namespace {

constexpr LCID kUsEnglish = 0x0409;

struct Language {
  uint16_t primary;
  const char* code;  // ISO 639-1
};

// The platform's primary language identifiers.
constexpr Language kLanguages[] = {
    {0x01, "ar"}, {0x02, "bg"}, {0x03, "ca"}, {0x04, "zh"}, {0x05, "cs"}, {0x06, "da"}, {0x07, "de"}, {0x08, "el"},
    {0x09, "en"}, {0x0A, "es"}, {0x0B, "fi"}, {0x0C, "fr"}, {0x0D, "he"}, {0x0E, "hu"}, {0x0F, "is"}, {0x10, "it"},
    {0x11, "ja"}, {0x12, "ko"}, {0x13, "nl"}, {0x14, "nb"}, {0x15, "pl"}, {0x16, "pt"}, {0x17, "rm"}, {0x18, "ro"},
    {0x19, "ru"}, {0x1A, "hr"}, {0x1B, "sk"}, {0x1C, "sq"}, {0x1D, "sv"}, {0x1E, "th"}, {0x1F, "tr"}, {0x20, "ur"},
    {0x21, "id"}, {0x22, "uk"}, {0x23, "be"}, {0x24, "sl"}, {0x25, "et"}, {0x26, "lv"}, {0x27, "lt"}, {0x29, "fa"},
    {0x2A, "vi"}, {0x2B, "hy"}, {0x2C, "az"}, {0x2D, "eu"}, {0x2F, "mk"}, {0x36, "af"}, {0x37, "ka"}, {0x38, "fo"},
    {0x39, "hi"}, {0x3A, "mt"}, {0x3C, "ga"}, {0x3E, "ms"}, {0x3F, "kk"}, {0x41, "sw"}, {0x43, "uz"}, {0x45, "bn"},
    {0x46, "pa"}, {0x47, "gu"}, {0x49, "ta"}, {0x4A, "te"}, {0x4B, "kn"}, {0x4C, "ml"}, {0x4E, "mr"}, {0x50, "mn"},
    {0x52, "cy"}, {0x56, "gl"}, {0x5B, "si"}, {0x61, "ne"}, {0x62, "fy"}, {0x6E, "lb"},
};

struct Locale {
  LCID lcid;
  const char* tag;  // RFC 1766
};

constexpr Locale kLocales[] = {
    {0x0401, "ar-SA"}, {0x0402, "bg-BG"}, {0x0403, "ca-ES"}, {0x0404, "zh-TW"}, {0x0804, "zh-CN"}, {0x0C04, "zh-HK"},
    {0x1004, "zh-SG"}, {0x0405, "cs-CZ"}, {0x0406, "da-DK"}, {0x0407, "de-DE"}, {0x0807, "de-CH"}, {0x0C07, "de-AT"},
    {0x1007, "de-LU"}, {0x1407, "de-LI"}, {0x0408, "el-GR"}, {0x0409, "en-US"}, {0x0809, "en-GB"}, {0x0C09, "en-AU"},
    {0x1009, "en-CA"}, {0x1409, "en-NZ"}, {0x1809, "en-IE"}, {0x1C09, "en-ZA"}, {0x4009, "en-IN"}, {0x0C0A, "es-ES"},
    {0x080A, "es-MX"}, {0x2C0A, "es-AR"}, {0x340A, "es-CL"}, {0x240A, "es-CO"}, {0x280A, "es-PE"}, {0x540A, "es-US"},
    {0x040B, "fi-FI"}, {0x040C, "fr-FR"}, {0x080C, "fr-BE"}, {0x0C0C, "fr-CA"}, {0x100C, "fr-CH"}, {0x140C, "fr-LU"},
    {0x040D, "he-IL"}, {0x040E, "hu-HU"}, {0x040F, "is-IS"}, {0x0410, "it-IT"}, {0x0810, "it-CH"}, {0x0411, "ja-JP"},
    {0x0412, "ko-KR"}, {0x0413, "nl-NL"}, {0x0813, "nl-BE"}, {0x0414, "nb-NO"}, {0x0415, "pl-PL"}, {0x0416, "pt-BR"},
    {0x0816, "pt-PT"}, {0x0418, "ro-RO"}, {0x0419, "ru-RU"}, {0x041A, "hr-HR"}, {0x041B, "sk-SK"}, {0x041C, "sq-AL"},
    {0x041D, "sv-SE"}, {0x081D, "sv-FI"}, {0x041E, "th-TH"}, {0x041F, "tr-TR"}, {0x0421, "id-ID"}, {0x0422, "uk-UA"},
    {0x0423, "be-BY"}, {0x0424, "sl-SI"}, {0x0425, "et-EE"}, {0x0426, "lv-LV"}, {0x0427, "lt-LT"}, {0x0429, "fa-IR"},
    {0x042A, "vi-VN"}, {0x042D, "eu-ES"}, {0x042F, "mk-MK"}, {0x0436, "af-ZA"}, {0x0437, "ka-GE"}, {0x0439, "hi-IN"},
    {0x043C, "ga-IE"}, {0x043E, "ms-MY"}, {0x0441, "sw-KE"}, {0x0452, "cy-GB"}, {0x0456, "gl-ES"}, {0x046E, "lb-LU"},
};

class CMultiLanguage : public IMultiLanguage {
 public:
  HRESULT GetRfc1766FromLcid(LCID locale, std::wstring* tag) override {
    if (tag == nullptr) return E_POINTER;
    for (const Locale& known : kLocales) {
      if (known.lcid == locale) {
        *tag = WideFromNarrow(known.tag);
        return S_OK;
      }
    }
    if ((locale >> 10) == 0) {
      for (const Language& language : kLanguages) {
        if (language.primary == locale) {
          *tag = WideFromNarrow(language.code);
          return S_OK;
        }
      }
    }
    return E_INVALIDARG;
  }
};

}  // namespace

LCID LcidFromLocaleName(const std::string& localeName) {
  // "ll_CC.codeset@modifier"
  const std::string name = LowerCase(localeName.substr(0, localeName.find_first_of(".@")));
  const size_t separator = name.find('_');
  const std::string language = name.substr(0, separator);
  if (separator != std::string::npos) {
    const std::string tag = language + "-" + name.substr(separator + 1);
    for (const Locale& known : kLocales)
      if (LowerCase(known.tag) == tag) return known.lcid;
  }
  for (const Language& known : kLanguages)
    if (language == known.code) return known.primary;
  return kUsEnglish;
}

LCID GetSystemDefaultLCID() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return LcidFromLocaleName(value);
  }
  return kUsEnglish;
}

HRESULT CreateMultiLanguage(std::shared_ptr<IMultiLanguage>* service) {
  if (service == nullptr) return E_POINTER;
  try {
    *service = std::make_shared<CMultiLanguage>();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}
