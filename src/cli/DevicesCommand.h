#pragma once
// corvox devices: one line per capture device, "position<TAB>name".

#include <ostream>
#include <string>
#include <vector>

int RunDevicesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
