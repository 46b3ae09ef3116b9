// Everything one conversion knows: paths, format fields, sample arrays and
// the open input file. One instance lives for the whole program; every job
// starts by resetting it, so no job sees anything an earlier one left. Only
// memory outlives a job: the sample arrays keep their room and the files
// their buffers, so that a run over many files touches fresh memory only
// for a file larger than all before it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/input_file.h"
#include "platform/output_file.h"
#include "platform/sample_memory.h"

namespace kelmoro {

struct CConvertContext {
    std::string inputPath;     // as the user gave it; quoted in messages
    std::string outputFolder;  // where the AU file goes; empty: beside the input
    std::string outputPath;    // derived by the job
    std::string encodingName;  // "", "PCM" or "Mu-Law"
    std::int32_t channels = 0;
    std::int32_t sampleRate = 0;  // the source rate; kept by the rate stage
    std::int32_t bitsPerSample = 0;
    std::int32_t frameCount = 0;
    platform::SampleMemory left;   // channel 0, or the only channel
    platform::SampleMemory right;  // channel 1, only while channels is 2
    bool formatSeen = false;
    platform::InputFile inputFile;
    platform::OutputFile outputFile;
    std::unique_ptr<unsigned char[]> readBlock;  // the reader's staging block, once made

    // Back to the empty state; the input path and output folder are kept.
    void Reset();
};

// The program's one conversion context.
extern CConvertContext g_convertContext;

// Stores a copy of `path` as the input of the next job.
void SetInputPath(std::string path);
// Sends the AU files of the next jobs into `folder` (empty: beside each input).
void SetOutputFolder(std::string folder);

}  // namespace kelmoro
