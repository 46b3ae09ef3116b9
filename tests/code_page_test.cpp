// Lower-casing, searching and output naming in UTF-8, Shift-JIS and
// single-byte code pages.
#include <gtest/gtest.h>

#include "engine/convert_job.h"
#include "platform/code_page.h"

namespace {

using platform::CodePage;

struct LowerCase {
    CodePage codePage;
    std::string input;
    std::string expected;
};

TEST(CodePageTest, LowersOnlySingleByteLettersAndNeverATrailByte) {
    const LowerCase cases[] = {
        {CodePage::kUtf8, "ABC.WAV", "abc.wav"},
        {CodePage::kUtf8, "音声ABC.WAV", "音声abc.wav"},
        {CodePage::kUtf8, "ＡＢＣ.WAV", "ＡＢＣ.wav"},  // full-width letters stay
        // Shift-JIS: 0x83 0x41 is katakana "a"; its 0x41 is not the letter A.
        {CodePage::kShiftJis, "\x83\x41" "A.WAV", "\x83\x41" "a.wav"},
        {CodePage::kShiftJis, "\x82\x60\x82\x61", "\x82\x60\x82\x61"},
        {CodePage::kShiftJis, "\xE0\x5A" "Z", "\xE0\x5A" "z"},
        // A lead byte at the very end stands alone.
        {CodePage::kShiftJis, "AB\x83", "ab\x83"},
        // Half-width katakana (0xA1-0xDF) are single bytes.
        {CodePage::kShiftJis, "\xB1" "A", "\xB1" "a"},
        {CodePage::kSingleByte, "\x83\x41", "\x83\x61"},
        // A byte that starts no well-formed UTF-8 sequence is a character of
        // its own, so the letter after it is still a letter.
        {CodePage::kUtf8, "\xC3" "A.WAV", "\xC3" "a.wav"},
        {CodePage::kUtf8, "Caf\xE9.WAV", "caf\xE9.wav"},
    };
    for (const auto& c : cases) {
        std::string text = c.input;
        platform::MbsLower(text, c.codePage);
        EXPECT_EQ(text, c.expected) << c.input;
    }
}

struct Search {
    CodePage codePage;
    std::string haystack;
    std::string needle;
    std::size_t expected;
};

TEST(CodePageTest, FindsOnlyMatchesThatStartOnACharacter) {
    const Search cases[] = {
        {CodePage::kUtf8, "a.wav.wav", ".wav", 1},
        {CodePage::kUtf8, "音.wav", ".wav", 3},
        {CodePage::kUtf8, "clip.wave", ".wav", 4},
        {CodePage::kUtf8, "tone.raw", ".wav", std::string::npos},
        // The 0x41 inside 0x83 0x41 must not match "A"; the next one does.
        {CodePage::kShiftJis, "\x83\x41" "A", "A", 2},
        {CodePage::kShiftJis, "\x83\x41", "A", std::string::npos},
        {CodePage::kShiftJis, "\x83\x76" "av.wav", "v", 3},
        {CodePage::kSingleByte, "\x83\x41" "A", "A", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::MbsFind(c.haystack, c.needle, c.codePage), c.expected) << c.haystack;
    }
}

TEST(CodePageTest, FileNameStartsAfterTheLastSlash) {
    EXPECT_EQ(platform::FileNameOffset("/a/b/c.wav", CodePage::kUtf8), 5u);
    EXPECT_EQ(platform::FileNameOffset("c.wav", CodePage::kUtf8), 0u);
    EXPECT_EQ(platform::FileNameOffset("/a/b/", CodePage::kUtf8), 5u);
}

struct Naming {
    CodePage codePage;
    std::string input;
    std::optional<std::string> expected;
};

TEST(OutputNamingTest, LowerCasesTheFileNameAndReplacesItsFirstWav) {
    const Naming cases[] = {
        {CodePage::kUtf8, "/Music/A.wav.d/Song.WAV", "/Music/A.wav.d/song.au"},
        {CodePage::kUtf8, "/x/clip.wave", "/x/clip.aue"},
        {CodePage::kUtf8, "/x.wav/tone.raw", std::nullopt},
        {CodePage::kUtf8, "/MUSIC/SONG.WAV", "/MUSIC/song.au"},
        {CodePage::kUtf8, "/Sound/Voice.WAV", "/Sound/voice.au"},
        {CodePage::kUtf8, "a.wav.b.wav", "a.au.b.wav"},  // first occurrence only
        {CodePage::kUtf8, "Song.WAV", "song.au"},
        {CodePage::kUtf8, "/音楽/歌.WAV", "/音楽/歌.au"},
        {CodePage::kUtf8, "/x/.wav", "/x/.au"},
        {CodePage::kUtf8, "/x/wav", std::nullopt},
        {CodePage::kShiftJis, "/D/\x83\x41" "B.WAV", "/D/\x83\x41" "b.au"},
        // Latin-1 names under a UTF-8 locale: a stray byte never swallows the
        // "/" or "." after it.
        {CodePage::kUtf8, "/M/Caf\xE9.wav", "/M/caf\xE9.au"},
        {CodePage::kUtf8, "/M/Dossier\xE9/Song.WAV", "/M/Dossier\xE9/song.au"},
        {CodePage::kUtf8, "/M/x.wav\xE9/tone.raw", std::nullopt},
        {CodePage::kShiftJis, "/M/x.wav\x83/tone.raw", std::nullopt},
    };
    for (const auto& c : cases) {
        platform::SetCodePage(c.codePage);
        EXPECT_EQ(kelmoro::OutputPathFor(c.input), c.expected) << c.input;
    }
    platform::SetCodePage(CodePage::kUtf8);
}

}  // namespace
