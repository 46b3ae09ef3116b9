// The plain input of the fault tests.
#include "support/fault_fixtures.h"

#include <vector>

namespace kelmoro::test {

Bytes MonoWav(std::size_t frames) {
    std::vector<std::int16_t> samples(frames);
    for (std::size_t i = 0; i < frames; ++i) samples[i] = static_cast<std::int16_t>(i * 37);
    return SimpleWav(FormatFields{1, 1, 8012, 16}, Pcm16(samples));
}

}  // namespace kelmoro::test
