#pragma once
// The worker's receive ring: 2048 bytes, of which at most 2047 are ever held,
// so that equal indices always mean "empty". Touched by the worker only.
#include <array>
#include <cstddef>
#include <cstdint>

namespace zorbel::link {

class ReceiveRing {
 public:
  static constexpr std::size_t kSize = 2048;
  static constexpr std::size_t kCapacity = kSize - 1;

  // Stores bytes in order until the ring is full; the rest of them are
  // dropped. Returns how many were stored.
  std::size_t store(const std::uint8_t* bytes, std::size_t count) {
    std::size_t stored = 0;
    for (; stored < count; ++stored) {
      const std::size_t next = (write_ + 1) % kSize;
      if (next == read_) break;
      buffer_[write_] = bytes[stored];
      write_ = next;
    }
    return stored;
  }

  std::size_t available() const { return (write_ + kSize - read_) % kSize; }
  bool empty() const { return read_ == write_; }
  // The i-th byte not yet consumed; i < available().
  std::uint8_t at(std::size_t i) const { return buffer_[(read_ + i) % kSize]; }
  void drop(std::size_t count) { read_ = (read_ + count) % kSize; }
  // Both indices to 0: the unparsed bytes are gone.
  void clear() { read_ = write_ = 0; }

  std::size_t readIndex() const { return read_; }
  std::size_t writeIndex() const { return write_; }

 private:
  std::array<std::uint8_t, kSize> buffer_{};
  std::size_t write_ = 0;
  std::size_t read_ = 0;
};

}  // namespace zorbel::link
