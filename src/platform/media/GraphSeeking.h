#pragma once
// Which of a graph's filters take part in graph-level seeking and volume: those that can seek
// (parsers and decoders, which offer AM_SEEKING_CanSeekAbsolute), those that only report the
// position being heard (renderers), and those with a volume. Called on the graph's control
// thread.

#include <memory>
#include <vector>

#include "platform/media/BasicAudio.h"
#include "platform/media/Filter.h"
#include "platform/media/Seeking.h"

std::vector<IMediaSeeking*> SeekableFilters(const std::vector<std::shared_ptr<IBaseFilter>>& filters);
std::vector<IMediaSeeking*> PositionReporters(const std::vector<std::shared_ptr<IBaseFilter>>& filters);
std::vector<IBasicAudio*> VolumeControls(const std::vector<std::shared_ptr<IBaseFilter>>& filters);
