// WAV files for tests, and small file helpers.
#include "support/wav_builder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/file_identity.h"

namespace kelmoro::test {

void AppendLe16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendLe32(Bytes& out, std::uint32_t value) {
    AppendLe16(out, value & 0xFFFF);
    AppendLe16(out, value >> 16);
}

void AppendBe32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

static void AppendId(Bytes& out, const std::string& id) {
    for (int i = 0; i < 4; ++i) out.push_back(i < static_cast<int>(id.size()) ? id[i] : ' ');
}

WavBuilder& WavBuilder::Chunk(const std::string& id, const Bytes& body) {
    RawChunk(id, static_cast<std::uint32_t>(body.size()), body);
    if (body.size() % 2 == 1) chunks_.push_back(0);
    return *this;
}

WavBuilder& WavBuilder::RawChunk(const std::string& id, std::uint32_t declaredSize,
                                 const Bytes& body) {
    AppendId(chunks_, id);
    AppendLe32(chunks_, declaredSize);
    chunks_.insert(chunks_.end(), body.begin(), body.end());
    return *this;
}

WavBuilder& WavBuilder::Format(const FormatFields& fields) { return Chunk("fmt ", FormatBody(fields)); }

WavBuilder& WavBuilder::Tail(const Bytes& bytes) {
    chunks_.insert(chunks_.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes WavBuilder::Build() const { return Build(static_cast<std::uint32_t>(4 + chunks_.size())); }

Bytes WavBuilder::Build(std::uint32_t riffSize) const {
    Bytes out;
    AppendId(out, "RIFF");
    AppendLe32(out, riffSize);
    AppendId(out, "WAVE");
    out.insert(out.end(), chunks_.begin(), chunks_.end());
    return out;
}

Bytes FormatBody(const FormatFields& fields) {
    Bytes body;
    const std::uint32_t blockAlign = fields.channels * (fields.bits / 8u);
    AppendLe16(body, fields.tag);
    AppendLe16(body, fields.channels);
    AppendLe32(body, fields.rate);
    AppendLe32(body, fields.rate * blockAlign);
    AppendLe16(body, blockAlign);
    AppendLe16(body, fields.bits);
    return body;
}

Bytes Pcm16(const std::vector<std::int16_t>& samples) {
    Bytes out;
    for (std::int16_t sample : samples) AppendLe16(out, static_cast<std::uint16_t>(sample));
    return out;
}

Bytes SimpleWav(const FormatFields& fields, const Bytes& samples) {
    return WavBuilder().Format(fields).Data(samples).Build();
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) {
    return platform::IdentityOf(path).has_value();
}

}  // namespace kelmoro::test
