// Throughput of each stage of a conversion, in samples per second: reading
// and decoding a WAV file, mixing to mono, the rate change (exact, and
// band-limited through libsoxr), mu-law encoding, and writing the AU file.
// The inputs are one minute of 44100 Hz audio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/au_writer.h"
#include "engine/convert_context.h"
#include "engine/convert_host.h"
#include "engine/filtered_rate.h"
#include "engine/sample_stages.h"
#include "engine/wave_reader.h"

namespace kelmoro {
namespace {

constexpr int kRate = 44100;
constexpr std::int32_t kFrames = kRate * 60;

class NullHost : public CConvertHost {
public:
    void ReportError(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void SetProgressRange(int, int) override {}
    void SetProgressPos(int) override {}
    void BeginWait() override {}
    void EndWait() override {}
};

// A sine-like pattern with full-scale peaks, the same every run.
std::int32_t SampleAt(std::int64_t i, int channel) {
    const std::int64_t phase = (i * (440 + channel * 3)) % kRate;
    return static_cast<std::int32_t>((phase * 65535) / kRate - 32768);
}

std::string ScratchFolder() {
    return std::filesystem::is_directory("/dev/shm")
               ? "/dev/shm"
               : std::filesystem::temp_directory_path().string();
}

std::string WriteWav(int channels, int bits) {
    const std::string path = ScratchFolder() + "/kelmoro-bench-" + std::to_string(getpid()) + "-" +
                             std::to_string(channels) + "-" + std::to_string(bits) + ".wav";
    const int bytes = bits / 8;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(kFrames) * channels * bytes;
    std::vector<unsigned char> file;
    auto put = [&](std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i) file.push_back(static_cast<unsigned char>(value >> (8 * i)));
    };
    auto putId = [&](const char* id) { file.insert(file.end(), id, id + 4); };
    putId("RIFF");
    put(36 + dataSize, 4);
    putId("WAVE");
    putId("fmt ");
    put(16, 4);
    put(1, 2);
    put(static_cast<std::uint32_t>(channels), 2);
    put(kRate, 4);
    put(static_cast<std::uint32_t>(kRate * channels * bytes), 4);
    put(static_cast<std::uint32_t>(channels * bytes), 2);
    put(static_cast<std::uint32_t>(bits), 2);
    putId("data");
    put(dataSize, 4);
    for (std::int64_t i = 0; i < kFrames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const std::int32_t sample = SampleAt(i, c);
            if (bits == 8) {
                put(static_cast<std::uint32_t>((sample >> 8) + 128), 1);
            } else {
                put(static_cast<std::uint32_t>(sample) << (bits - 16), bytes);
            }
        }
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    return path;
}

// A context as the reader leaves it: linear samples, PCM, 44100 Hz.
void FillContext(CConvertContext& context, int channels) {
    context.Reset();
    context.encodingName = "PCM";
    context.channels = channels;
    context.sampleRate = kRate;
    context.bitsPerSample = 16;
    context.frameCount = kFrames;
    context.left.Allocate(kFrames);
    for (std::int64_t i = 0; i < kFrames; ++i) context.left.data()[i] = SampleAt(i, 0);
    if (channels == 2) {
        context.right.Allocate(kFrames);
        for (std::int64_t i = 0; i < kFrames; ++i) context.right.data()[i] = SampleAt(i, 1);
    }
}

void ReadStage(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0));
    const int bits = static_cast<int>(state.range(1));
    const std::string path = WriteWav(channels, bits);
    CConvertContext context;
    NullHost host;
    for (auto _ : state) {
        context.Reset();
        context.inputPath = path;
        if (!context.inputFile.Open(path) || !ReadWave(context, host))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(context.left.data());
    }
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations() * kFrames * channels);
    state.SetBytesProcessed(state.iterations() * kFrames * channels * (bits / 8));
}
BENCHMARK(ReadStage)->Args({2, 16})->Args({1, 16})->Args({1, 8})->Args({2, 24})->Unit(
    benchmark::kMillisecond);

// Stages that change the context in place get a fresh context each time,
// filled outside the timing.
template <typename Stage>
void InPlaceStage(benchmark::State& state, int channels, Stage stage) {
    CConvertContext context;
    for (auto _ : state) {
        state.PauseTiming();
        FillContext(context, channels);
        state.ResumeTiming();
        stage(context);
        benchmark::DoNotOptimize(context.left.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames * channels);
}

void MonoStage(benchmark::State& state) {
    InPlaceStage(state, 2, [](CConvertContext& context) { ToMono(context); });
}
BENCHMARK(MonoStage)->Unit(benchmark::kMillisecond);

void RateStage(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0));
    InPlaceStage(state, channels, [](CConvertContext& context) { ChangeRate(context, 8012); });
}
BENCHMARK(RateStage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void EncodeStage(benchmark::State& state) {
    NullHost host;
    InPlaceStage(state, 1,
                 [&](CConvertContext& context) { ChangeEncoding(context, host, "Mu-Law"); });
}
BENCHMARK(EncodeStage)->Unit(benchmark::kMillisecond);

// The band-limited rate change of one channel, from mono floats as the
// stereo mix hands them over, in 64 Ki-sample blocks, drained at the end.
// Source rate from the argument: 44100, 48000 or 8000 (upsampling).
void FilteredRateStage(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    constexpr std::size_t kBlock = 65536;
    std::vector<float> input(kFrames);
    for (std::int64_t i = 0; i < kFrames; ++i) input[i] = 0.5f * (SampleAt(i, 0) + SampleAt(i, 1));
    const std::size_t room = FilteredRate::OutputCapacityFor(kBlock, rate, 8012);
    std::vector<std::int16_t> out(room);
    for (auto _ : state) {
        FilteredRate filter;
        if (!filter.Start(rate, 8012)) state.SkipWithError(filter.Error().c_str());
        for (std::size_t start = 0; start < input.size(); start += kBlock) {
            const std::size_t count = std::min(kBlock, input.size() - start);
            benchmark::DoNotOptimize(filter.Process(input.data() + start, count, out.data(), room));
        }
        while (filter.Finish(out.data(), room) != 0) {
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(FilteredRateStage)->Arg(44100)->Arg(48000)->Arg(8000)->Unit(benchmark::kMillisecond);

// Writing alone: the context already holds mono mu-law at 8012 Hz, so the
// three stages have nothing to do.
void WriteStage(benchmark::State& state) {
    CConvertContext context;
    NullHost host;
    FillContext(context, 1);
    context.sampleRate = 8012;
    ChangeEncoding(context, host, "Mu-Law");
    context.outputPath = ScratchFolder() + "/kelmoro-bench-" + std::to_string(getpid()) + ".au";
    for (auto _ : state) {
        if (!WriteAu(context, host)) state.SkipWithError("write failed");
    }
    std::filesystem::remove(context.outputPath);
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.SetBytesProcessed(state.iterations() * kFrames);
}
BENCHMARK(WriteStage)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmoro
