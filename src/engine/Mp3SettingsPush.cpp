#include "engine/Mp3SettingsPush.h"

#include "filters/Mp3EncoderSettings.h"

HRESULT PushMp3Settings(IMP3AudioEncProperties* encoder, const Mp3Configuration& configuration) {
  if (encoder == nullptr) return E_POINTER;
  const Mp3Configuration& c = configuration;
  HRESULT hr = encoder->SetBitrate(c.cbrBitrateKbps);
  hr |= encoder->SetCopyright(c.copyright != 0);
  hr |= encoder->SetCrc(c.crc != 0);
  hr |= encoder->SetOriginal(c.original != 0);
  hr |= encoder->SetEncodeQuality(c.encodingQuality);
  hr |= encoder->SetOutputSampleRate(c.outputSampleRateHz);
  hr |= encoder->SetVbrEnabled(c.cbr == 0);
  hr |= encoder->SetVbrMaxBitrate(c.vbrMaxBitrateKbps);
  hr |= encoder->SetVbrMinBitrate(c.vbrMinBitrateKbps);
  hr |= encoder->SetVbrQuality(c.vbrQuality);
  hr |= encoder->SetChannelMode(c.channels == 1 ? Mp3EncoderSettings::kChannelModeMono
                                                : Mp3EncoderSettings::kChannelModeStereo);
  return hr;
}
