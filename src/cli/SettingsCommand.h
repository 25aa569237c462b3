#pragma once

// corvox settings list | get NAME | set NAME VALUE | set NAME field=value [field=value...]
//
// Names are the stored value names ("Format", "MP3 Configuration", "Device Settings 0" ...),
// matched without regard to case. `list` prints every stored value as "Name<TAB>value"; records
// show their fields as "field=value" pairs separated by spaces, and values the settings do not
// declare, or that are malformed, show in the registry file's form (hex(1):61,62). `get` prints
// one value (a record one "field=value" per line). `set` writes a whole number, a text, or the
// given fields of a record over the stored record (or the defaults). Any error leaves the store
// untouched.

#include <ostream>
#include <string>
#include <vector>

class SettingsStore;

// args: the words after "settings". Returns 0 on success, 1 when the store cannot be read or
// written or the value is not stored or malformed, 2 for a usage error (unknown command, name or
// field; a malformed or out-of-range number; a text too long).
int RunSettingsCommand(const std::vector<std::string>& args, SettingsStore& store, std::ostream& out,
                       std::ostream& err);
