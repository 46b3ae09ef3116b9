// One run over all its inputs, in their order: whether each may be converted
// (an AU file written earlier in the run is never replaced), converting it,
// and reporting it (the JSON line, the counts), with or without workers.
#pragma once

#include <cstdio>
#include <string>

#include "console/console_host.h"
#include "console/run_outputs.h"
#include "input_list.h"
#include "json_report.h"
#include "output_claims.h"

namespace kelmoro {

struct RunSettings {
    ConsoleOptions console;
    bool json = false;          // a JSON line per input instead of success lines
    bool showErrors = true;     // error lines on stderr
    bool drawProgress = false;  // the bar on stderr (one file at a time only)
    int jobs = 1;
};

struct RunTotals {
    std::size_t files = 0;
    std::size_t converted = 0;
    std::size_t skipped = 0;
    std::size_t failed = 0;
};

// The error text of an input whose name holds a NUL byte.
inline constexpr const char* kNameHoldsNul =
    "the name holds a NUL byte and can name no file; nothing opened or written (for a list "
    "whose names end in NUL, give -0)";

// The run's book of output names and results.
class RunLedger {
public:
    explicit RunLedger(const RunSettings& settings) : settings_(settings) {}

    enum class Decision { kConvert, kWait, kRefuse };
    // The output an input maps to, as claimed.
    struct Ticket {
        std::string key;  // empty: nothing claimed
    };
    // Whether `input` may be converted now. kConvert claims its output
    // until Finish; kWait: an earlier input still converting maps to the
    // same file; kRefuse: `refusal` holds the error text (the AU file was
    // written for an earlier input, or the name holds a NUL byte).
    Decision Decide(const std::string& input, Ticket& ticket, std::string& refusal);
    // The conversion claimed by `ticket` has ended.
    void Finish(const Ticket& ticket, const FileReport& report);
    // Called for every input in input order: prints its JSON line (--json)
    // and counts it.
    void Report(const FileReport& report);

    const RunTotals& Totals() const { return totals_; }

private:
    const RunSettings& settings_;
    OutputClaims claims_;
    RunOutputs written_;
    RunTotals totals_;
};

// Converts `input` on `host`, the success line (text mode) on `out`; the
// result with the frames the engine wrote and what it said.
FileReport ConvertOne(ConsoleHost& host, const std::string& input, const RunSettings& settings,
                      std::FILE* out);

// The whole run: one file at a time here, or with settings.jobs workers.
RunTotals RunBatch(InputList& inputs, const RunSettings& settings);

}  // namespace kelmoro
