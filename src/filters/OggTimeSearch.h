#pragma once
// Finding times in an Ogg file without reading all of it: the duration from the pages at its
// end, the byte to start reading at for a time (interpolation search), and the first key frame
// of a stream from some byte on. Pages only count when `pageTime` gives them a time (>= 0): a
// page of a known stream with a granule position. `pageTime` is told where the page begins, so
// that a chained file's links can tell their times. Any thread; the reader must allow it.

#include <ogg/ogg.h>

#include <cstdint>
#include <functional>

#include "platform/media/AsyncReader.h"
#include "platform/media/MediaSample.h"

class OggStreamInfo;

using OggPageTime = std::function<REFERENCE_TIME(const ogg_page& page, int64_t offset)>;

// The largest page time among the pages in the file's last 65536 bytes (read from a multiple
// of 16); -1 when none has one.
HRESULT FindLastPageTime(IAsyncReader* reader, int64_t length, const OggPageTime& pageTime, REFERENCE_TIME* time);

// The byte to read from for `target` (0 < target < duration): the low bound of an interpolation
// search between the file's start (time 0) and end (the duration), narrowed by the times of the
// pages found after each guess until the bounds are within 8192 bytes.
HRESULT FindSeekByte(IAsyncReader* reader, int64_t length, REFERENCE_TIME duration, REFERENCE_TIME target,
                     const OggPageTime& pageTime, int64_t* byte);

// The time of the first sync-point packet of the generic stream `serial` at or after `target`,
// reading from `startByte`; S_FALSE (and *time untouched) when there is none.
HRESULT FindKeyFrameTime(IAsyncReader* reader, int64_t startByte, uint32_t serial, const OggStreamInfo& info,
                         REFERENCE_TIME target, REFERENCE_TIME* time);
