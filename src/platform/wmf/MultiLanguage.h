#pragma once
// Locale identifiers: the user's locale as the platform's language identifier, and its
// RFC 1766 tag through the multi-language service.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/media/HResult.h"
#include "platform/media/Unknown.h"

using LCID = uint32_t;

constexpr LCID MakeLcid(uint16_t primaryLanguage, uint16_t subLanguage) {
  return static_cast<LCID>(subLanguage << 10 | primaryLanguage);
}

// From LC_ALL, LC_MESSAGES or LANG ("de_DE.UTF-8" gives 0x0407). A language without its
// country gives the language alone (sub-language 0); "C", "POSIX", nothing set or a language
// unknown here give US English (0x0409).
LCID GetSystemDefaultLCID();
// The same for one locale name.
LCID LcidFromLocaleName(const std::string& localeName);

struct IMultiLanguage : virtual IUnknown {
  // E_INVALIDARG for an identifier without a known language.
  virtual HRESULT GetRfc1766FromLcid(LCID locale, std::wstring* tag) = 0;
};

HRESULT CreateMultiLanguage(std::shared_ptr<IMultiLanguage>* service);
