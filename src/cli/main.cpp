// corvox: the recorder without windows. Global options come before the command.

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/BackendNotice.h"
#include "cli/CodecsCommand.h"
#include "cli/DevicesCommand.h"
#include "cli/MixerCommand.h"
#include "cli/PlayCommand.h"
#include "cli/RecordCommand.h"
#include "cli/RecoverCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/StandardStreams.h"
#include "cli/UpdateCommand.h"
#include "cli/WaveformCommand.h"
#include "mixer/AudioHardwareCheck.h"
#include "mixer/AudioMixer.h"
#include "platform/audio/AudioBackendSelection.h"
#include "platform/codecs/AudioCompressorCategory.h"
#include "platform/codecs/AudioDecoderRegistration.h"
#include "platform/wmf/AsfWriterRegistration.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kUsage =
    "usage: corvox [--audio pulse|alsa|virtual] COMMAND\n"
    "  codecs                                       list the WMA codecs and formats and the WAV compressors\n"
    "  devices                                      list capture devices\n"
    "  mixer [select PORT | volume VALUE]           show or change the recording input and level\n"
    "  play FILE [--from S] [--to S] [--volume P]   play a file, or the part from S to S seconds,\n"
    "                                               at volume slider position P (0-1000)\n"
    "  record [--format wma|wav|mp3|ogg] [--seconds S] [--output PATH] [--interactive]\n"
    "                                               record into the next output file\n"
    "  recover                                      save a recording a crash cut off under the next output name\n"
    "  settings list | get NAME | set NAME VALUE    show and edit stored settings\n"
    "  waveform FILE [--dump PATH]                  read a file into waveform values\n"
    "  check-update                                 ask the update server whether a newer version exists\n";

}  // namespace

int main(int argc, char** argv) {
  SecureStandardStreams();
  // Past a file-size limit, writes must fail (and the recording so far be kept) rather than
  // the process be killed.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string audio;
  while (!args.empty() && args.front() == "--audio") {
    if (args.size() < 2) {
      std::cerr << kUsage;
      return 2;
    }
    audio = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty() || args.front() == "help" || args.front() == "--help") {
    (args.empty() ? std::cerr : std::cout) << kUsage;
    return args.empty() ? 2 : 0;
  }
  const std::string command = args.front();
  args.erase(args.begin());

  SettingsStore settings;
  if (command == "settings") return RunSettingsCommand(args, settings, std::cout, std::cerr);
  if (command == "check-update") return RunUpdateCommand(args, settings, std::cout, std::cerr);
  if (command == "recover") return RunRecoverCommand(args, settings, std::cout, std::cerr);

  const std::shared_ptr<AudioBackend> backend = SelectAudioBackend(audio);
  RegisterAudioCompressors();
  RegisterAudioDecoders();
  RegisterAsfWriter();
  if (!backend) {
    std::cerr << "corvox: " << GetErrorInfo() << "\n";
    return 2;
  }
  const std::string requested = audio.empty() && std::getenv("CORVOX_AUDIO") ? std::getenv("CORVOX_AUDIO") : audio;
  const std::string notice = BackendNotice(requested, backend->Name(), !backend->CaptureDevices().empty());
  if (!notice.empty()) std::cerr << notice << "\n";
  settings.RunStartupPass();
  AudioMixer mixer(backend);
  if (command == "devices" || command == "mixer") std::cout << BackendLine(backend->Name()) << "\n";
  if (command == "devices") return RunDevicesCommand(args, std::cout, std::cerr);
  if (command == "codecs") return RunCodecsCommand(args, std::cout, std::cerr);
  if (command == "mixer") return RunMixerCommand(args, settings, mixer, std::cout, std::cerr);
  if (command == "record") {
    if (!AudioHardwarePresent(mixer)) {
      std::cerr << kNoAudioHardwareMessage << "\n";
      return 1;
    }
    return RunRecordCommand(args, settings, std::cout, std::cerr);
  }
  if (command == "waveform") return RunWaveformCommand(args, settings, std::cout, std::cerr);
  if (command == "play") return RunPlayCommand(args, settings, std::cout, std::cerr);
  std::cerr << "corvox: unknown command \"" << command << "\"\n" << kUsage;
  return 2;
}
