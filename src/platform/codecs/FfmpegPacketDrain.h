#pragma once
// Taking an FFmpeg encoder's finished packets out, shared by the encoders over FFmpeg.

#include <functional>
#include <string>

#include "platform/media/HResult.h"

struct AVCodecContext;
struct AVPacket;

// Hands every packet the encoder has ready to `sink`, in `packet`. Once the sink answers other
// than S_OK the rest are still taken out, so the encoder can take its next frame, but not
// handed on; that answer, or the encoder's failure (with a text naming `encoderName`), is the
// result.
HRESULT DrainEncoderPackets(AVCodecContext* context, AVPacket* packet, const std::string& encoderName,
                            const std::function<HRESULT(AVPacket*)>& sink);
