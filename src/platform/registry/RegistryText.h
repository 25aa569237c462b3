#pragma once

// The registry file's text form, modelled on a registry editor export:
//
//   Corvox Registry Version 1
//
//   [Software\Vantro Solutions\Corvox]
//   "Format"=dword:000000c8
//   "MP3 Configuration"=hex:80,00,00,00,...
//   "Audio Filename"="/home/ann/Music/Vantro Audio/vantroaudio.wma"
//   "Odd"=hex(1):61,62
//
// Strings use the quoted form (with \\ and \" escaped) only when their bytes are exactly text
// plus one terminating zero; any other REG_SZ, every REG_EXPAND_SZ, a REG_DWORD that is not four
// bytes and every other type use typed hex "hex(<type in hex>):", so every value round-trips
// byte for byte. Blank lines and lines starting with ';' are ignored; "@" names the unnamed
// value. Pure functions over text: no I/O, safe from any thread.

#include <string>
#include <string_view>

#include "platform/registry/RegistryTypes.h"

// Parses a whole file. An empty text is an empty registry. Returns false (keys left empty) when
// the text is not in the form above; never fails in any other way, whatever the bytes.
bool ParseRegistryText(std::string_view text, RegistryKeyMap& keys);

std::string FormatRegistryText(const RegistryKeyMap& keys);

// The right-hand side of a value line ("dword:000000c8", "\"text\"", "hex:01,02").
std::string FormatRegistryValueData(const RegistryValue& value);

// A key path: levels separated by single '\', none empty, no NUL or line breaks.
bool IsValidKeyPath(std::string_view path);

// A value name: anything without NUL or line breaks (empty names the unnamed value).
bool IsValidValueName(std::string_view name);
