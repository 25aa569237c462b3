#include "platform/audio/alsa/AlsaCards.h"

#include <alsa/asoundlib.h>

#include <memory>

#include "platform/audio/alsa/AlsaError.h"

namespace {

struct CtlCloser {
  void operator()(snd_ctl_t* ctl) const { snd_ctl_close(ctl); }
};

// The first PCM device of the card that records, or -1.
int FirstCaptureDevice(snd_ctl_t* ctl) {
  snd_pcm_info_t* info = nullptr;
  if (snd_pcm_info_malloc(&info) < 0) return -1;
  int device = -1;
  while (snd_ctl_pcm_next_device(ctl, &device) >= 0 && device >= 0) {
    snd_pcm_info_set_device(info, static_cast<unsigned>(device));
    snd_pcm_info_set_subdevice(info, 0);
    snd_pcm_info_set_stream(info, SND_PCM_STREAM_CAPTURE);
    if (snd_ctl_pcm_info(ctl, info) >= 0) break;
  }
  snd_pcm_info_free(info);
  return device;
}

}  // namespace

std::vector<AlsaCard> ListAlsaCards() {
  SilenceAlsaDiagnostics();
  std::vector<AlsaCard> cards;
  snd_ctl_card_info_t* info = nullptr;
  if (snd_ctl_card_info_malloc(&info) < 0) return cards;
  int number = -1;
  while (snd_card_next(&number) >= 0 && number >= 0) {
    snd_ctl_t* opened = nullptr;
    if (snd_ctl_open(&opened, ("hw:" + std::to_string(number)).c_str(), 0) < 0) continue;
    const std::unique_ptr<snd_ctl_t, CtlCloser> ctl(opened);
    if (snd_ctl_card_info(ctl.get(), info) < 0) continue;
    const int device = FirstCaptureDevice(ctl.get());
    if (device < 0) continue;
    AlsaCard card;
    card.id = snd_ctl_card_info_get_id(info);
    card.name = snd_ctl_card_info_get_name(info);
    card.longName = snd_ctl_card_info_get_longname(info);
    const std::string where = "CARD=" + card.id + ",DEV=" + std::to_string(device);
    card.capturePcm = "plughw:" + where;
    card.probePcm = "hw:" + where;
    card.mixer = "hw:CARD=" + card.id;
    cards.push_back(std::move(card));
  }
  snd_ctl_card_info_free(info);
  return cards;
}
