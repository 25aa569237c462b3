#include "cli/DevicesCommand.h"

#include "engine/FilterCategoryEnumerator.h"

int RunDevicesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (!args.empty()) {
    err << "usage: corvox devices\n";
    return 2;
  }
  AudioDeviceEnumerator devices;
  std::vector<std::string> names;
  if (FAILED(devices.ListNames(&names))) {
    err << "corvox devices: " << GetErrorInfo() << "\n";
    return 1;
  }
  for (size_t i = 0; i < names.size(); ++i) out << i << '\t' << names[i] << '\n';
  return 0;
}
