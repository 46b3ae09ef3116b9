// Every text the engine shows the user, byte for byte (UTF-8), and the
// helpers that compose the ones that quote the input path.
#pragma once

#include <string>

namespace kelmoro {

// Prefix of the reader's messages: ends in a colon and one blank.
inline constexpr const char* kReadErrorPrefix = "Wave ファイル 読込みエラー: ";

inline constexpr const char* kCannotOpenSuffix = " ファイルを開けません";
inline constexpr const char* kDataReadError = "データ読込みエラー";
inline constexpr const char* kDataWriteError = "データ書込みエラー";
inline constexpr const char* kAuWriteFailed = "Auファイル書込み失敗";
inline constexpr const char* kTooManyChannels = "チャンネル数２を超えました";
inline constexpr const char* kUnimplementedEncodingChange = "Unimplemented Encoding change.";
inline constexpr const char* kDataBeforeFormat = "Data Chunk before Format Chunk";
// A job that could not get the memory it needed.
inline constexpr const char* kOutOfMemory = "メモリ不足のため変換できません";

// The tails that follow prefix + " file " + path.
inline constexpr const char* kNotRiff = " is not a RIFF file";
inline constexpr const char* kNotWave = " is not a WAVE file";
inline constexpr const char* kUnidentifiedEncoding = "Unidentified encoding in .WAV file";
inline constexpr const char* kUnsupportedSampleSize = " has an unsupported sample size";
inline constexpr const char* kNoChannels = " has no channels";
inline constexpr const char* kUnsupportedSampleRate = " has an unsupported sample rate";

// Success text of the hosts: the path, two blanks, then this.
inline constexpr const char* kConvertedSuffix = "  AUファイルに変換成功";

// prefix + " file " + path + tail.
inline std::string FileReadError(const std::string& path, const char* tail) {
    return std::string(kReadErrorPrefix) + " file " + path + tail;
}

inline std::string CannotOpenMessage(const std::string& path) { return path + kCannotOpenSuffix; }

inline std::string ConvertedMessage(const std::string& path) { return path + kConvertedSuffix; }

}  // namespace kelmoro
