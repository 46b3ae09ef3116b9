// Everything one conversion knows: paths, format fields, the block of
// samples on its way through the stages, the open input and output files,
// and what must carry over from one block to the next. One instance lives
// for the whole program; every job starts by resetting it, so no job sees
// anything an earlier one left. Only memory outlives a job: the block and
// the files keep their buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "filtered_rate.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "sample_block.h"

namespace kelmoro {

// How far the AU output has come.
enum class AuOutputState {
    kNotStarted,  // no block has reached the writer yet
    kWriting,     // the file is open and every write so far has succeeded
    kNotCreated,  // the file could not be created; blocks are dropped
    kWriteFailed, // a write failed; blocks are dropped
    kDropped,     // nowhere to write (no output name); blocks are dropped
};

struct CConvertContext {
    std::string inputPath;     // as the user gave it; quoted in messages
    std::string outputFolder;  // where the AU file goes; empty: beside the input
    bool standardInput = false;   // read the WAV from standard input
    bool standardOutput = false;  // write the AU to standard output
    bool filtered = false;        // band-limited rate change instead of keeping frames
    std::string outputPath;    // derived by the job; empty on standard output
    std::string encodingName;  // what the block holds: "", "PCM" or "Mu-Law"
    std::int32_t channels = 0;
    std::int32_t sampleRate = 0;  // the source rate; kept by the rate stage
    std::int32_t bitsPerSample = 0;
    std::int32_t frameCount = 0;  // frames in the block
    SampleBlock left;   // channel 0, or the only channel
    SampleBlock right;  // channel 1, only while channels is 2
    bool formatSeen = false;

    // Carried from block to block.
    std::int64_t dataFrames = -1;  // frames the data chunk holds; -1 while unknown (a pipe)
    bool finalBlock = true;        // false while more blocks of the data chunk follow
    double rateAccumulator = 0.0;  // the rate stage's running time
    std::unique_ptr<FilteredRate> filter;  // the band-limited rate change, once started
    bool filterStarted = false;

    // The AU output.
    AuOutputState outputState = AuOutputState::kNotStarted;
    std::int64_t framesWritten = 0;  // frames handed to the output file
    std::int64_t writeFailedAt = -1; // the frame whose byte met a failed write

    platform::InputFile inputFile;
    platform::OutputFile outputFile;
    std::unique_ptr<unsigned char[]> readBlock;  // the reader's staging block, once made

    // Back to the empty state; the input path, output folder and the choice
    // of standard streams are kept.
    void Reset();
};

// The program's one conversion context.
extern CConvertContext g_convertContext;

// Stores a copy of `path` as the input of the next job.
void SetInputPath(std::string path);
// Sends the AU files of the next jobs into `folder` (empty: beside each input).
void SetOutputFolder(std::string folder);
// Makes the next jobs change the rate through a band-limiting filter
// (true) or by keeping and dropping whole frames (false, the default).
void SetFilteredRate(bool filtered);
// Makes the next jobs read standard input (then the input path only names it
// in messages) and/or write their AU data to standard output.
void SetStandardStreams(bool input, bool output);

}  // namespace kelmoro
