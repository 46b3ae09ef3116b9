// Builds WAV files byte by byte for tests: a RIFF header and any chunks, in
// any order, with any declared sizes, so that damaged files are as easy to
// make as good ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmoro::test {

using Bytes = std::vector<std::uint8_t>;

void AppendLe16(Bytes& out, std::uint32_t value);
void AppendLe32(Bytes& out, std::uint32_t value);
void AppendBe32(Bytes& out, std::uint32_t value);

struct FormatFields {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 8012;
    std::uint16_t bits = 16;
};

class WavBuilder {
public:
    // A chunk with its true size, padded to even length as RIFF requires.
    WavBuilder& Chunk(const std::string& id, const Bytes& body);
    // A chunk header that declares `declaredSize` whatever body follows (no padding).
    WavBuilder& RawChunk(const std::string& id, std::uint32_t declaredSize, const Bytes& body);
    // A 16-byte "fmt " chunk.
    WavBuilder& Format(const FormatFields& fields);
    WavBuilder& Data(const Bytes& samples) { return Chunk("data", samples); }
    // Raw bytes appended after the last chunk.
    WavBuilder& Tail(const Bytes& bytes);
    // "RIFF" + size + "WAVE" + chunks; the size is the true one unless given.
    Bytes Build() const;
    Bytes Build(std::uint32_t riffSize) const;

private:
    Bytes chunks_;
};

// The 16-byte body of a "fmt " chunk.
Bytes FormatBody(const FormatFields& fields);
// Interleaved 16-bit samples as little-endian bytes.
Bytes Pcm16(const std::vector<std::int16_t>& samples);
// A whole simple WAV file.
Bytes SimpleWav(const FormatFields& fields, const Bytes& samples);

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace kelmoro::test
