#pragma once
// Registers the platform's file decoder for intelligent connect, so the graph inserts it
// between a file source and whatever takes PCM (RenderFile, the waveform reader). Call once at
// start-up, before graphs are built.

void RegisterAudioDecoders();
