#include "platform/audio/pulse/PulseSources.h"

#include <pulse/introspect.h>

#include <algorithm>

namespace {

struct Collected {
  const PulseConnection* connection;
  std::vector<PulseSource> sources;
  static void Add(pa_context*, const pa_source_info* info, int eol, void* userdata) {
    auto* collected = static_cast<Collected*>(userdata);
    if (eol == 0 && info != nullptr) collected->sources.push_back(ToPulseSource(*info));
    if (eol != 0) collected->connection->Signal();
  }
};

std::string Text(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

PulseSource ToPulseSource(const pa_source_info& info) {
  PulseSource source;
  source.index = info.index;
  source.name = Text(info.name);
  source.description = Text(info.description);
  source.monitor = info.monitor_of_sink != PA_INVALID_INDEX;
  for (uint32_t i = 0; i < info.n_ports && info.ports != nullptr && info.ports[i] != nullptr; ++i)
    source.ports.push_back({Text(info.ports[i]->name), Text(info.ports[i]->description), info.ports[i]->type});
  if (info.active_port != nullptr) source.activePort = Text(info.active_port->name);
  source.channels = info.volume.channels;
  source.volume = info.volume.channels > 0 ? info.volume.values[0] : 0;
  return source;
}

HRESULT ListPulseSources(const PulseConnection& connection, std::vector<PulseSource>* sources) {
  if (sources == nullptr) return E_POINTER;
  Collected collected{&connection, {}};
  const HRESULT hr =
      connection.Await(pa_context_get_source_info_list(connection.Context(), &Collected::Add, &collected),
                       "The sound server's sources could not be listed");
  if (FAILED(hr)) return hr;
  std::stable_partition(collected.sources.begin(), collected.sources.end(),
                        [](const PulseSource& source) { return !source.monitor; });
  *sources = std::move(collected.sources);
  return S_OK;
}

HRESULT ReadPulseSource(const PulseConnection& connection, const std::string& name, PulseSource* source) {
  if (source == nullptr) return E_POINTER;
  Collected collected{&connection, {}};
  const HRESULT hr = connection.Await(
      pa_context_get_source_info_by_name(connection.Context(), name.c_str(), &Collected::Add, &collected),
      "The sound server's source \"" + name + "\" could not be read");
  if (FAILED(hr)) return hr;
  if (collected.sources.empty()) {
    SetErrorInfo("The sound server no longer has the source \"" + name + "\".");
    return VFW_E_NOT_FOUND;
  }
  *source = std::move(collected.sources.front());
  return S_OK;
}
