#pragma once
// The device link: one serial port, one worker thread that reads it and runs
// the three page transfers (configuration write, configuration read, firmware
// upload). Standard C++ and POSIX only; the windows and zorbelctl drive it
// through this class and hear from it through the callbacks below.
//
// Threads: every member function is called from one owner thread (the GUI
// thread, or zorbelctl's main thread). The callbacks run on the worker thread,
// except that open() reports its own failure on the owner's thread; the owner
// passes what it needs to its own thread (a queued call in the windows). The
// callbacks must not block for long and must not call stopAndJoin() or open()
// (they run on the thread those would join).
//
// Answers: the device's acks carry no page number, so an answer is taken for
// the transfer of its kind that awaits one; an answer that arrives while no
// transfer of its kind awaits one is dropped without a log line. The input
// waiting on a port is discarded when it is opened and when a transfer starts
// while no other awaits an answer, so an answer meant for an earlier,
// interrupted transfer is not taken for a new one.
//
// Read-back verify and compare, for the windows (all on the GUI thread):
//  - verify a write: on transferEnded(ConfigurationWrite, Finished), call
//    readConfiguration(ReadPurpose::Comparison); on the imageReceived that
//    follows (its purpose() is Comparison), compare with the image sent:
//    compareImages(sent, hand->image()), then hand->done(). Any other end of
//    that read (checksum errors) is the verify's failure.
//  - compare the device with the window: readConfiguration(Comparison), then
//    decode hand->image() into a copy of the window's model, never into the
//    window's own, call hand->done(), and list
//    settings::compareSettings(windowModel, copy) (settings/compare.h); a
//    decode that fails is the version message, as for "Read config".
//  A read for the settings (ReadPurpose::Settings) is decoded into the window.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "port_survey.h"
#include "settings/image.h"

namespace zorbel::link {

inline constexpr const char* kOpenedMessage = "Serial port opened successfully.";
inline constexpr const char* kOpenErrorMessage =
    "Serial port open error. Try to reconnect the device and reset application.";

// The largest firmware hash file an upload takes: 1856 pages.
inline constexpr std::size_t kFirmwareMaxBytes = 237568;

// The port's speed; 8N1 puts ten bit times on the line for each byte.
inline constexpr unsigned kBaudRate = 115200;

// Also the index of a transfer's record in the link.
enum class TransferKind { Firmware, ConfigurationWrite, ConfigurationRead };

// What a configuration read's image is for: the settings (decoded into the
// window or printed), or a comparison (handed back undecoded).
enum class ReadPurpose { Settings, Comparison };

// How a transfer ended. A transfer whose device stops answering ends only
// when the owner set an answer time-out (DeviceLink::setAnswerTimeout; the
// windows do, zorbelctl keeps its own).
enum class TransferEnd {
  Finished,            // "Send finished." (write, firmware), or the read image handed over
  PageChecksumError,   // "Eeprom page data checksum error." (read stops)
  ImageChecksumError,  // "Eeprom read checksum error. Please upload new eeprom data to device."
  PageNumberError,  // "Eeprom page number error [%d].": a page numbered 16 or more, dropped (read
                    // stops)
  NoAnswer,         // "No answer from the device.": none within the answer time-out
  Cancelled,        // cutShortLine(): the owner's cancel() ended it at a page boundary
};

enum class PortState {
  Open,    // a worker runs on the port
  Closed,  // the worker released the port after close()/stopAndJoin()/open() of another port
  Lost,    // the port failed under the worker (device unplugged, line hung up); worker ended
};

enum class TraceDirection { Sent, Received };

// Where an image read back differs from the one sent.
struct ImageDifference {
  std::size_t count = 0;        // bytes that differ; 0 when the images are equal
  std::size_t firstOffset = 0;  // the first of them
};
ImageDifference compareImages(const settings::Image& sent, const settings::Image& received);

// How long `pages` pages of a write or upload take on the line at kBaudRate:
// each page's header frame and 128 bytes out, and the device's ack back. The
// device's own time is not counted.
double lineSeconds(std::uint32_t pages);

// The log line of a transfer that ended after `done` of its `total` pages
// without finishing: "Write cut short after page 7 of 16.", "Read cut short
// after page 3 of 16.", and for an upload a word on what the device needs now.
std::string cutShortLine(TransferKind kind, std::uint32_t done, std::uint32_t total);

// The received image at the end of a good configuration read, handed to the
// owner, who runs the settings decoder on it (on its own thread) and then calls
// done(). The worker waits meanwhile, so the decoder has run before any later
// log line of the link. The worker is released by done(), by the owner
// dropping its last reference to this object (so a queued call that never runs
// cannot hold it), or by close()/stopAndJoin()/the link's destruction; the
// owner can therefore never deadlock with a worker waiting here.
class ImageHandOver {
 public:
  struct Waiter;  // the worker's side
  ImageHandOver(const settings::Image& image, std::shared_ptr<Waiter> waiter,
                ReadPurpose purpose = ReadPurpose::Settings);
  ~ImageHandOver();
  ImageHandOver(const ImageHandOver&) = delete;
  ImageHandOver& operator=(const ImageHandOver&) = delete;

  // A copy of the received image; stays valid as long as this object.
  const settings::Image& image() const { return image_; }
  // What the read was asked for.
  ReadPurpose purpose() const { return purpose_; }
  // The decoder has run: the worker goes on. Later calls do nothing.
  void done();

 private:
  settings::Image image_;
  std::shared_ptr<Waiter> waiter_;
  ReadPurpose purpose_;
};

struct LinkCallbacks {
  // One log line, without a line end, in the order produced ("Eeprom page sent [3].").
  std::function<void(const std::string& line)> log;
  // Transfer progress: pages acknowledged (write, firmware) or received (read)
  // so far, out of the pages the transfer sends (16, or page count + 1 for
  // firmware). Called with done = 0 when a transfer starts.
  std::function<void(TransferKind kind, std::uint32_t done, std::uint32_t total)> progress;
  // The port's state with a short text for a status bar ("/dev/ttyUSB0 open").
  std::function<void(PortState state, const std::string& text)> status;
  // A good configuration read: decode hand->image(), then hand->done().
  // Without this callback the image is not handed over and the worker goes on.
  std::function<void(std::shared_ptr<ImageHandOver> hand)> imageReceived;
  // A transfer ended (after its last log line).
  std::function<void(TransferKind kind, TransferEnd end)> transferEnded;
  // Every byte written to or read from the port, as written or read.
  std::function<void(TraceDirection direction, const std::uint8_t* bytes, std::size_t count)> trace;
  // On the owner's thread, when close() (or stopAndJoin(), open() over a
  // running worker, the link's destruction) asks the worker to stop, before
  // anything waits for it: a callback that holds the worker (waiting for room
  // in a queue) lets it go once stopRequested() is true.
  std::function<void()> stopping;
};

class DeviceLink {
 public:
  explicit DeviceLink(LinkCallbacks callbacks = {});
  // Stops and joins the worker (stopAndJoin()).
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  // "Open port": stops and joins a running worker first (its port is released),
  // then opens `portName` (see devicePath()) exclusively, raw 115200 8N1, no
  // flow control, DTR and RTS off, and starts a worker on it. Requests posted
  // while no worker ran go out on its first pass. On failure the link stays
  // closed, and a log line with the reason is produced (on the owner's
  // thread). On success the message box says kOpenedMessage; a failure is an
  // Error of kind CannotRead with message kOpenErrorMessage (the message box's
  // text), as reason the operating system's ("/dev/ttyUSB0: Permission
  // denied"), and as hint what usually fixes it on Linux when there is one.
  Result<void> open(const std::string& portName);

  // "Close port": asks the worker to stop and returns at once; the worker
  // releases the port promptly (at most one read time-out, ~129 ms). A waiting
  // image hand-over is abandoned. Does nothing when no worker runs.
  void close();

  // For the owner's shutdown: close() and wait until the worker has ended.
  void stopAndJoin();

  // True from a successful open() until the worker has released the port.
  bool workerRunning() const;
  // True from close() (stopAndJoin(), open() over a running worker) until the
  // next open() starts a worker. Safe from any thread.
  bool stopRequested() const;

  // A transfer whose answer has not come this long after its page or read
  // request went out ends: "No answer from the device.", then
  // transferEnded(kind, TransferEnd::NoAnswer); a later answer is dropped.
  // Zero, the default: a transfer waits as long as the port is open.
  void setAnswerTimeout(std::chrono::milliseconds limit);
  // Passes the worker has completed (read, parse, start what was asked for);
  // two more passes mean every byte read before has been acted on.
  std::uint64_t workerPasses() const;

  // "Write config": sends pages 0..15 of this copy of an encoded image.
  void writeConfiguration(const settings::Image& image);
  // "Read config": requests pages 0..15 into the received image, which is
  // cleared first; a good read hands a copy over marked with `purpose`.
  void readConfiguration(ReadPurpose purpose = ReadPurpose::Settings);
  // "Upload firmware": sends pages 0..N of a copy of these bytes, taken now (a
  // later load never mixes pages into this upload), N = the bytes' length in
  // pages, rounded up; page N and the tail of a short last page are zeros.
  // At most kFirmwareMaxBytes: a TooLong error ("Firmware file too long.")
  // and nothing posted when longer.
  Result<void> uploadFirmware(std::span<const std::uint8_t> fileBytes);
  // "Cancel": the requests posted before it that have not started are
  // dropped, and the transfer that runs ends at its next page boundary: once
  // the answer to the page in flight is in (or, when none comes, a second
  // later) it sends nothing more. Each ends with its cutShortLine()
  // and transferEnded(kind, TransferEnd::Cancelled); a transfer whose last
  // page was in flight finishes as usual. Requests posted after it go out.
  void cancel();

  // Each request is carried out by the worker's next pass, at once when a
  // worker runs, else on the first pass of the next one. One request of each
  // kind is held; a newer one of the same kind replaces it, and a transfer of
  // the same kind that runs starts over: once the answer to its last page or
  // read request is in, or a read time-out later when that answer is lost,
  // so that the old answer is never taken for the new page 0's. A transfer
  // that starts while no other awaits an answer discards the input waiting.

  // The device a port name stands for: "COM1".."COM9" are /dev/ttyS0../dev/ttyS8;
  // anything else is taken as a device path.
  static std::string devicePath(const std::string& portName);
  // The ports a port box offers, each with what it is and its state: the
  // serial ports present (port_survey.h; /dev/ttyS0..8 as "COM1".."COM9", a USB
  // port by its /dev/serial/by-id name where it has one), then the device
  // simulator's link while a living simulator holds it (simulator_link.h).
  static std::vector<PortInfo> offeredPorts();
  // Their names.
  static std::vector<std::string> portNames();
  // Where zorbel-sim puts its link by default: ${XDG_RUNTIME_DIR:-/tmp}/zorbel-sim.
  static std::string simulatorLinkPath();

  struct State;  // the link's internals (link_state.h)

 private:
  std::unique_ptr<State> state_;
};

}  // namespace zorbel::link
