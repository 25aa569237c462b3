#pragma once
// One status line on a terminal, rewritten in place ("\r", the text, clear to the end of the
// line); nothing at all when the stream is not a terminal. Writes are best effort. Main
// thread only.

#include <string>

class StatusLine {
 public:
  // `fd`: the descriptor to write to (standard error); shown only when it is a terminal.
  explicit StatusLine(int fd);
  // Ends a line that was shown with a line break.
  ~StatusLine();
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  bool Shown() const { return m_terminal; }
  void Show(const std::string& text);
  // Ends the line, so what follows starts on a line of its own.
  void Finish();

 private:
  int m_fd;
  bool m_terminal;
  bool m_written = false;
};

// "00:05.2" for 5.24 seconds; hours as "1:02:05.0".
std::string FormatPosition(double seconds);
// The input's peak as a level in dBFS and a bar over -60 ... 0 dBFS:
// "-12.0 dBFS [########################------]"; silence shows "-inf dBFS" and an empty bar.
std::string FormatPeakMeter(double peak);
// "00:05.2  recording  -12.0 dBFS [...]".
std::string FormatRecordStatus(double seconds, bool paused, double peak);
