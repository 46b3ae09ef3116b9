// What the fault tests share: the messages a failed job gives, an old AU
// file that every failed attempt must leave byte for byte, and a plain input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/wav_builder.h"

namespace kelmoro::test {

inline const std::string kAuWriteFailed = "Auファイル書込み失敗";
inline const std::string kDataWriteError = "データ書込みエラー";
inline const std::string kDataReadError = "データ読込みエラー";
inline const Bytes kOldAu{'.', 's', 'n', 'd', 'o', 'l', 'd', '!'};
constexpr std::uint64_t kAuHeaderBytes = 28;

// A WAV file of `frames` mono 16-bit frames at 8012 Hz (a sawtooth).
Bytes MonoWav(std::size_t frames);

}  // namespace kelmoro::test
