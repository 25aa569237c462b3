#pragma once
// Owns one libvorbis decoder: info, comment, DSP state and block, opened together from the
// three header packets and cleared in reverse order. The library stays private to this file
// pair. Used by one thread at a time; separate instances may be used on separate threads.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

class VorbisSynthesis {
 public:
  VorbisSynthesis();
  ~VorbisSynthesis();
  VorbisSynthesis(const VorbisSynthesis&) = delete;
  VorbisSynthesis& operator=(const VorbisSynthesis&) = delete;

  // Reads the identification, comment and codebook headers, in that order, and readies the
  // synthesis. False, leaving nothing open, when the library refuses any of them.
  bool Open(std::span<const uint8_t> identification, std::span<const uint8_t> comment,
            std::span<const uint8_t> codebook);
  // Block, DSP state, comment, info; does nothing when closed.
  void Close();
  // Forgets the decoded audio and positions, keeping the headers read: the next packet starts
  // a stream as after Open. Does nothing when closed.
  void Restart();
  bool IsOpen() const;

  // From the identification header; 0 when closed.
  int Channels() const;
  long RateHz() const;
  // The value of the first comment named `tag` (the name compares without case).
  std::optional<std::string> Comment(const char* tag) const;

  // Decodes one audio packet and adds its block to the DSP state. `granulePosition` is -1
  // when unknown; `last` marks the final packet of the stream, whose padding the library
  // trims by its granule position. False when the library refuses the packet (damaged, or
  // not audio); the DSP state is then unchanged.
  bool Decode(std::span<const uint8_t> packet, bool last, int64_t granulePosition, int64_t packetNumber);
  // The decoded frames ready for output, one array per channel in Vorbis order; 0 when none.
  // The arrays stay valid until the next Consume or Decode.
  int Ready(float*** channels);
  // Marks `frames` of the ready frames as taken.
  void Consume(int frames);
  // The granule position at the end of the frames decoded so far; -1 while unknown.
  int64_t GranulePosition() const;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};
