#pragma once
// The process's audio backend, chosen once at start (the CLI's `--audio pulse|alsa|virtual`,
// else CORVOX_AUDIO, else the default) and used by every graph afterwards.
//
// Choosing a backend registers its capture devices as the audio input device category of the
// system device enumerator (Description, FriendlyName; binding creates a CAudioCaptureFilter)
// and its CAudioRendererFilter as the renderer that Render connects to, with the PCM converter
// that intelligent connect puts before it when the device does not take a format as it comes.
// Nothing is printed: the caller tells the user which backend is in use from Name().
//
// Threads: any thread; a mutex guards the current backend.

#include <memory>
#include <string>

#include "platform/audio/AudioBackend.h"

// `choice` is "pulse", "alsa" or "virtual"; empty takes CORVOX_AUDIO, and when that is unset
// or empty, the default: the sound server when one answers (within a second; none is
// started), else ALSA when it finds a card that records, else the virtual backend. "pulse"
// without a server that answers gets ALSA; "alsa" is taken even without cards (it then lists
// no devices). Returns the backend now in use, or null for an unknown name (with a readable
// text through SetErrorInfo; the previous backend stays).
std::shared_ptr<AudioBackend> SelectAudioBackend(const std::string& choice);

// Makes `backend` the one in use, with the same registrations (tests, embedding).
void UseAudioBackend(std::shared_ptr<AudioBackend> backend);

// The backend in use; selects the default on first use.
std::shared_ptr<AudioBackend> CurrentAudioBackend();
