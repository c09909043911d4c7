// The CRC register and XTEA enciphering that protect a remote update file.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "update/crc32.h"
#include "update/xtea.h"
#include "update_key.h"
#include "update_test_support.h"
#include "xtea_decipher.h"

namespace zorbel::update {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::vector<std::uint8_t> fromHex(std::string_view hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(
        static_cast<std::uint8_t>(std::stoul(std::string(hex.substr(i, 2)), nullptr, 16)));
  return out;
}

TEST(CrcRegister, KnownValues) {
  EXPECT_EQ(crcRegister(bytesOf("abc")), 0xCADBBE3Du);
  EXPECT_EQ(crcRegister({}), 0xFFFFFFFFu);
  const std::uint8_t zero = 0;
  EXPECT_EQ(crcRegister({&zero, 1}), 0x2DFD1072u);
}

TEST(CrcRegister, IsTheComplementOfZlibsCrc32) {
  const auto data = test::pattern(70000, 3);
  for (std::size_t len : {1u, 2u, 7u, 8u, 255u, 256u, 2048u, 4099u, 70000u}) {
    const auto expected =
        ~static_cast<std::uint32_t>(::crc32(0L, data.data(), static_cast<uInt>(len)));
    EXPECT_EQ(crcRegister({data.data(), len}), expected) << "length " << len;
  }
}

// Published vectors give key, plain and cipher text as big-endian words; the
// device's blocks hold each word least significant byte first.
struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

UpdateKey keyFromBigEndianHex(std::string_view hex) {
  const auto bytes = fromHex(hex);
  UpdateKey k{};
  for (std::size_t i = 0; i < 4; ++i)
    k[i] = std::uint32_t{bytes[4 * i]} << 24 | std::uint32_t{bytes[4 * i + 1]} << 16 |
           std::uint32_t{bytes[4 * i + 2]} << 8 | bytes[4 * i + 3];
  return k;
}

std::array<std::uint8_t, 8> blockFromBigEndianHex(std::string_view hex) {
  const auto bytes = fromHex(hex);
  std::array<std::uint8_t, 8> block{};
  for (std::size_t i = 0; i < 8; ++i) block[i] = bytes[(i / 4) * 4 + 3 - i % 4];
  return block;
}

TEST(Xtea, PublishedVectors) {
  const Vector vectors[] = {
      {"000102030405060708090a0b0c0d0e0f", "4142434445464748", "497df3d072612cb5"},
      {"000102030405060708090a0b0c0d0e0f", "4141414141414141", "e78f2d13744341d8"},
      {"000102030405060708090a0b0c0d0e0f", "5a5b6e278948d77f", "4141414141414141"},
      {"00000000000000000000000000000000", "4142434445464748", "a0390589f8b8efa5"},
      {"00000000000000000000000000000000", "4141414141414141", "ed23375a821a8c2d"},
      {"00000000000000000000000000000000", "70e1225d6e4e7655", "4141414141414141"},
      {"00000000000000000000000000000000", "0000000000000000", "dee9d4d8f7131ed9"},
      {"00000000000000000000000000000000", "0102030405060708", "065c1b8975c6a816"},
      {"0123456712345678234567893456789A", "0000000000000000", "1ff9a0261ac64264"},
      {"0123456712345678234567893456789A", "0102030405060708", "8c67155b2ef91ead"},
  };
  for (const auto& v : vectors) {
    auto block = blockFromBigEndianHex(v.plain);
    encipherBlock(block, keyFromBigEndianHex(v.key));
    EXPECT_EQ(block, blockFromBigEndianHex(v.cipher)) << v.key << " " << v.plain;
  }
}

TEST(Xtea, BufferIsElectronicCodebook) {
  auto buffer = test::pattern(2048, 1);
  // Blocks 3 and 200 hold the same plain text.
  std::copy_n(buffer.begin() + 3 * 8, 8, buffer.begin() + 200 * 8);
  const auto plain = buffer;
  encipherBuffer(buffer);

  EXPECT_TRUE(std::equal(buffer.begin() + 3 * 8, buffer.begin() + 4 * 8, buffer.begin() + 200 * 8));
  for (std::size_t b = 0; b < 256; ++b) {
    std::array<std::uint8_t, 8> one{};
    std::copy_n(plain.begin() + static_cast<std::ptrdiff_t>(b * 8), 8, one.begin());
    encipherBlock(one);
    ASSERT_TRUE(
        std::equal(one.begin(), one.end(), buffer.begin() + static_cast<std::ptrdiff_t>(b * 8)))
        << b;
  }
  test::decipherBuffer(buffer, updateKey());
  EXPECT_EQ(buffer, plain);
}

TEST(Xtea, EmptyAndShortTailsAreLeftAlone) {
  auto buffer = test::pattern(21, 5);
  const auto plain = buffer;
  encipherBuffer(std::span<std::uint8_t>(buffer).first(0));
  EXPECT_EQ(buffer, plain);

  // Two whole blocks change; the five bytes behind them are neither enciphered nor overrun.
  encipherBuffer(std::span<std::uint8_t>(buffer).first(21));
  EXPECT_NE(std::vector(buffer.begin(), buffer.begin() + 16),
            std::vector(plain.begin(), plain.begin() + 16));
  EXPECT_EQ(std::vector(buffer.begin() + 16, buffer.end()),
            std::vector(plain.begin() + 16, plain.end()));
}

TEST(Xtea, BuiltInKeyIsTheConfiguredOne) {
  // The key may be the device's own: a mismatch names the word, never its value.
  for (std::size_t i = 0; i < 4; ++i)
    EXPECT_TRUE(updateKey()[i] == generated::kUpdateKey[i])
        << "k[" << i << "] differs from the configured key";
}

}  // namespace
}  // namespace zorbel::update
