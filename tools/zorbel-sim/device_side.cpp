// The device's side of the protocol: the frames it accepts, what it stores,
// the answers it queues, and the fault switches that make it misbehave.
#include <algorithm>
#include <iterator>

#include <unistd.h>

#include "simulator_impl.h"

namespace zorbel::sim {

namespace {

constexpr auto kSplitPause = std::chrono::microseconds(500);

// The device's side of the frames is written here on its own, not taken from
// the link: a fault in the link's framing then shows as a refused frame in the
// tests instead of being shared by both ends.
std::uint8_t checksum(const std::uint8_t* frame) {
  unsigned sum = 0;
  for (int i = 1; i <= 6; ++i) sum += frame[i];
  return static_cast<std::uint8_t>(sum);
}

std::uint16_t sumOf(const std::uint8_t* page) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < kPage; ++i) sum += page[i];
  return static_cast<std::uint16_t>(sum);
}

std::vector<std::uint8_t> frame(std::uint8_t type, std::uint16_t page, std::uint16_t sum) {
  std::vector<std::uint8_t> f{0xFF,
                              type,
                              static_cast<std::uint8_t>(page >> 8),
                              static_cast<std::uint8_t>(page),
                              static_cast<std::uint8_t>(sum >> 8),
                              static_cast<std::uint8_t>(sum),
                              0,
                              0};
  f[7] = checksum(f.data());
  return f;
}

}  // namespace

// Answer bytes are due one byte time after another from `when` on (or after the answer before).
void Simulator::Impl::queueAnswer(const std::vector<std::uint8_t>& answer, Clock::time_point when) {
  std::vector<std::uint8_t> bytes;
  for (unsigned i = 0; i < options.noiseBytes; ++i) {
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    bytes.push_back(static_cast<std::uint8_t>(noiseState % 255));  // never 0xFF
  }
  bytes.insert(bytes.end(), answer.begin(), answer.end());
  Clock::time_point due = std::max(when, txLast);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (options.splitAnswers && i > 0 && i % options.splitAnswers == 0) due += kSplitPause;
    due += byteTime;
    tx.push_back({bytes[i], due});
  }
  txLast = due;
}

void Simulator::Impl::hangUp() {
  hungUp.store(true);
  ::close(master);
  ::close(slave);
  master = slave = -1;
  log("hung up", 0);
}

// One accepted frame, with its page when it has one.
void Simulator::Impl::onFrame(const std::uint8_t* f, const std::uint8_t* page,
                              Clock::time_point when) {
  const std::uint8_t type = f[1];
  const std::uint16_t number = static_cast<std::uint16_t>(f[2] << 8 | f[3]);
  const bool sumOk = !page || sumOf(page) == static_cast<std::uint16_t>(f[4] << 8 | f[5]);
  std::size_t count;
  {
    std::lock_guard lock(mutex);
    frames.push_back({type, number, sumOk});
    count = frames.size();
  }
  if (options.hangUpAfter && count == options.hangUpAfter) {
    hangUp();
    return;
  }

  std::vector<std::uint8_t> answer;
  if (type == 0x40 && sumOk) {
    answer = storeFirmwarePage(number, page);
  } else if (type == 0x80 && sumOk && number < settings::kPageCount) {
    answer = storeConfigurationPage(number, page);
  } else if (type == 0x90 && number < settings::kPageCount) {
    answer = answerReadRequest(number);
  } else {
    log(page && !sumOk ? "page %u refused: bad page sum" : "frame for page %u not answered",
        number);
  }
  if (options.flood != SimOptions::Flood::None) flooding = true;
  if (answer.empty() || count == options.dropAnswerTo) return;
  queueAnswer(answer, when);
}

std::vector<std::uint8_t> Simulator::Impl::storeFirmwarePage(std::uint16_t number,
                                                             const std::uint8_t* page) {
  std::lock_guard lock(mutex);
  const std::size_t end = (std::size_t{number} + 1) * kPage;
  if (firmware.size() < end) firmware.resize(end, 0);
  std::copy_n(page, kPage, firmware.begin() + std::size_t{number} * kPage);
  firmwareDirty = true;
  log("firmware page %u", number);
  return frame(0x41, number, 0);
}

std::vector<std::uint8_t> Simulator::Impl::storeConfigurationPage(std::uint16_t number,
                                                                  const std::uint8_t* page) {
  std::lock_guard lock(mutex);
  const std::size_t at = std::size_t{number} * kPage;
  std::copy_n(page, kPage, eeprom.begin() + static_cast<std::ptrdiff_t>(at));
  const auto wrong = static_cast<std::size_t>(options.misstoreOffset);
  if (options.misstoreOffset >= 0 && wrong - at < kPage) eeprom[wrong] ^= 0x01;
  eepromDirty = true;
  log("configuration page %u", number);
  return frame(0x81, number, 0);
}

std::vector<std::uint8_t> Simulator::Impl::answerReadRequest(std::uint16_t number) {
  const unsigned nth = ++pagesAnswered;
  std::uint16_t answered = number;
  if (nth == options.wrongPageAnswer) answered = options.wrongPageNumber;
  std::uint8_t data[kPage];
  {
    std::lock_guard lock(mutex);
    const std::uint16_t from = answered < settings::kPageCount ? answered : number;
    std::copy_n(eeprom.begin() + std::size_t{from} * kPage, kPage, data);
  }
  std::vector<std::uint8_t> answer = frame(0x91, answered, sumOf(data));
  if (nth == options.badHeaderPage) answer[7] ^= 0x5A;
  if (nth == options.corruptPage) data[kPage / 2] ^= 0x01;
  answer.insert(answer.end(), data, data + kPage);
  log("read request %u, answered with page %u", number, answered);
  return answer;
}

// Keeps a flood's bytes queued; the line's pace (if any) spaces them.
void Simulator::Impl::topUpFlood(Clock::time_point now) {
  if (!flooding || tx.size() >= 512) return;
  std::vector<std::uint8_t> bytes;
  while (bytes.size() < 512) {
    switch (options.flood) {
      case SimOptions::Flood::Noise:
        noiseState ^= noiseState << 13;
        noiseState ^= noiseState >> 17;
        noiseState ^= noiseState << 5;
        bytes.push_back(static_cast<std::uint8_t>(noiseState % 255));  // never 0xFF
        break;
      case SimOptions::Flood::StartBytes:
        bytes.push_back(0xFF);
        break;
      case SimOptions::Flood::Acks: {
        const auto ack = frame(bytes.size() % 16 ? 0x81 : 0x41, 0, 0);
        bytes.insert(bytes.end(), ack.begin(), ack.end());
        break;
      }
      case SimOptions::Flood::BadHeaders: {
        const std::uint8_t header[] = {0xFF, 0x91, 0, 0, 0, 0, 0, 0};
        bytes.insert(bytes.end(), std::begin(header), std::end(header));
        break;
      }
      case SimOptions::Flood::None:
        return;
    }
  }
  Clock::time_point due = std::max(now, txLast);
  for (std::uint8_t b : bytes) {
    due += byteTime;
    tx.push_back({b, due});
  }
  txLast = due;
}

// Frames start with 0xFF; a bad checksum or an unknown type drops the start byte only.
void Simulator::Impl::parse(Clock::time_point when) {
  std::size_t at = 0;
  while (master >= 0) {
    while (at < incoming.size() && incoming[at] != 0xFF) ++at;
    if (incoming.size() - at < kFrame) break;
    const std::uint8_t* f = incoming.data() + at;
    const std::uint8_t type = f[1];
    const bool known = type == 0x40 || type == 0x80 || type == 0x90;
    if (!known || checksum(f) != f[7]) {
      ++at;
      continue;
    }
    const std::size_t length = type == 0x90 ? kFrame : kFrame + kPage;
    if (incoming.size() - at < length) break;
    std::uint8_t copy[kFrame + kPage];
    std::copy_n(f, length, copy);
    at += length;
    onFrame(copy, type == 0x90 ? nullptr : copy + kFrame, when);
  }
  incoming.erase(incoming.begin(),
                 incoming.begin() + static_cast<std::ptrdiff_t>(std::min(at, incoming.size())));
}

// When the byte that completes the next whole frame (with its page) is
// through: the device need not look at the line before. max() while no
// frame is complete in what has been received.
Clock::time_point Simulator::Impl::nextFrameDue(Clock::time_point now) const {
  const std::size_t total = incoming.size() + rx.size();
  auto byteAt = [&](std::size_t i) {
    return i < incoming.size() ? incoming[i] : rx[i - incoming.size()].byte;
  };
  std::size_t at = 0;
  for (;;) {
    while (at < total && byteAt(at) != 0xFF) ++at;
    if (total - at < kFrame) return Clock::time_point::max();
    std::uint8_t f[kFrame];
    for (std::size_t i = 0; i < kFrame; ++i) f[i] = byteAt(at + i);
    const bool known = f[1] == 0x40 || f[1] == 0x80 || f[1] == 0x90;
    if (!known || checksum(f) != f[7]) {
      ++at;
      continue;
    }
    const std::size_t last = at + (f[1] == 0x90 ? kFrame : kFrame + kPage) - 1;
    if (last >= total) return Clock::time_point::max();
    return last < incoming.size() ? now : rx[last - incoming.size()].due;
  }
}

}  // namespace zorbel::sim
