#pragma once
// zorbel-sim: plays the device on a pseudo-terminal. It keeps a 2048-byte
// configuration memory, stores and acknowledges configuration pages, collects
// firmware pages, and answers page read requests with a page data header and
// the page; fault switches make it misbehave in the ways tests need.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/result.h"
#include "settings/image.h"

namespace zorbel::sim {

struct SimOptions {
  // 0: as fast as the pseudo-terminal goes. Otherwise every byte, both ways,
  // takes 10 bit times at this rate: a byte is due one byte time after the one
  // before it (or after it was handed over, on an idle line) and is delivered
  // when it is due, no earlier and, as far as the clock allows, no later.
  unsigned baud = 0;
  std::string eepromFile;   // loaded at start when it exists; rewritten after changes
  std::string firmwareOut;  // the collected firmware pages, written after changes

  // Fault switches. Counts are 1-based; 0 switches a fault off.
  unsigned dropAnswerTo = 0;  // the answer to the Nth frame is not sent
  unsigned corruptPage = 0;  // the Nth page answered has a data byte changed (header sum as before)
  unsigned badHeaderPage = 0;    // the Nth page answered has a wrong frame checksum in its header
  unsigned wrongPageAnswer = 0;  // the Nth page answered is page wrongPageNumber instead
  std::uint16_t wrongPageNumber = 0;
  unsigned noiseBytes = 0;    // bytes of noise (never 0xFF) before every answer
  unsigned hangUpAfter = 0;   // on the Nth frame the line is hung up, unanswered
  unsigned splitAnswers = 0;  // answers go out in pieces of this many bytes, 0.5 ms apart
  // Stores the configuration byte at this offset changed (its lowest bit
  // flipped) while answering as if all was well; -1: off.
  int misstoreOffset = -1;
  // After the first frame it answers, the device sends this without end.
  // BadHeaders: page data headers whose frame checksum is wrong
  // (FF 91 00 00 00 00 00 00), each one a rejected frame for the link.
  enum class Flood { None, Noise, StartBytes, Acks, BadHeaders };
  Flood flood = Flood::None;
};

// A frame the simulator accepted: its type and page number, and whether its
// page (if any) matched the header's page sum.
struct FrameRecord {
  std::uint8_t type = 0;
  std::uint16_t page = 0;
  bool pageSumOk = true;
};

// How far behind the line's schedule the simulator ran: answer bytes written
// after they were due, frames acted on after their last byte was through.
struct PacingStats {
  std::uint64_t answerWrites = 0;
  std::uint64_t framesActedOn = 0;
  double meanWriteLateUs = 0, maxWriteLateUs = 0;
  double meanFrameLateUs = 0, maxFrameLateUs = 0;
};

class Simulator {
 public:
  explicit Simulator(SimOptions options = {});
  ~Simulator();  // stop()
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Opens the pseudo-terminal (and loads the eeprom file) and starts serving;
  // a CannotRead error whose message says why it could not.
  Result<void> start();
  // Stops serving, writes the files, closes the pseudo-terminal.
  void stop();

  // The pseudo-terminal's device path, which the link opens.
  const std::string& slavePath() const;
  // The line was hung up (hangUpAfter); the simulator serves no more.
  bool hungUp() const;

  settings::Image eeprom() const;
  void setEeprom(const settings::Image& image);
  // Firmware page n at 128 * n, as far as the highest page received.
  std::vector<std::uint8_t> firmware() const;
  std::vector<FrameRecord> frames() const;
  std::size_t frameCount() const;
  std::uint64_t bytesReceived() const;
  // Every byte received so far has been acted on and every answer sent: read
  // bytesReceived() first, then this, to know the device is done with them.
  bool idle() const;
  std::uint64_t bytesSent() const;
  PacingStats pacingStats() const;

  // A line for each frame and page, for the program's --verbose.
  void setVerbose(bool verbose);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The memory a fresh device holds: all 0xFF.
settings::Image blankEeprom();

}  // namespace zorbel::sim
