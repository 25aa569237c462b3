#pragma once
// The mixer of one of the sound server's sources. The recording destination has a MUX over
// the source's ports (a source without ports shows one, named after the source); selecting a
// port makes it the source's active port. Every port's VOLUME control is the source's volume,
// 0 to 65535 over the server's 0 to 100 % (louder settings read as 65535). Component types
// come from the port's type, else its name; a monitor's only port is an analog input.
// Changes of the source, by anyone, are posted for the controls whose value changed.
//
// Threads: as AudioMixerDevice. The operations take the connection's lock; the server's
// change events arrive on the connection's event thread, which alone touches m_known.

#include <pulse/introspect.h>

#include <memory>
#include <string>

#include "platform/audio/MixerDeviceBase.h"
#include "platform/audio/pulse/PulseConnection.h"
#include "platform/audio/pulse/PulseSource.h"

class PulseMixerDevice : public MixerDeviceBase {
 public:
  // Follows the changes of `source` over `connection` from now on.
  static HRESULT Open(std::unique_ptr<PulseConnection> connection, const PulseSource& source, HWND notify,
                      std::unique_ptr<AudioMixerDevice>* mixer);

  static constexpr uint32_t kDestinationLineId = 0xFFFF0000;
  static constexpr uint32_t kSourceLineId = 0x10000;  // + port
  static constexpr uint32_t kSelectionControlId = 1;
  static constexpr uint32_t kVolumeControlId = 2;
  static constexpr uint32_t kMaxVolume = 0xFFFF;

  static MixerLayout MakeLayout(const PulseSource& source);
  static uint32_t PortComponentType(const PulseSource& source, const PulsePort& port);
  static uint32_t ToMixerVolume(uint32_t serverVolume);
  static uint32_t ToServerVolume(uint32_t mixerVolume);

  PulseMixerDevice(std::unique_ptr<PulseConnection> connection, const PulseSource& source, HWND notify);

 protected:
  HRESULT ReadControl(const MixerLayoutControl& control, std::vector<uint32_t>* values) override;
  HRESULT WriteControl(const MixerLayoutControl& control, const std::vector<uint32_t>& values) override;

 private:
  HRESULT Follow();
  static void OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* userdata);
  static void OnSourceInfo(pa_context* context, const pa_source_info* info, int eol, void* userdata);

  const PulseSource m_source;  // as it was at open: its identity and its ports
  PulseSource m_known;         // event thread: the values last seen, to post only what changed
  // Last member: destroyed first, so no event arrives while the rest goes.
  const std::unique_ptr<PulseConnection> m_connection;
};
