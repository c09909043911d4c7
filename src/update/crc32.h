#pragma once
// The CRC-32 that guards a remote update file's payload.
#include <cstdint>
#include <span>

namespace zorbel::update {

// The CRC register after the last byte: reflected polynomial 0xEDB88320,
// register preset to 0xFFFFFFFF and no final inversion, so the result is the
// bitwise complement of the usual CRC-32 (zlib's crc32) of the same bytes.
// The device checks the file with exactly this value.
std::uint32_t crcRegister(std::span<const std::uint8_t> bytes);

}  // namespace zorbel::update
