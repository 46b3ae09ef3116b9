// Turns the context's samples into mono mu-law at 8012 Hz and writes them as
// an AU file at the context's output path, moving the host's progress bar
// from 90 towards 100. The file appears only once it is complete: any failed
// write is reported and leaves whatever was at the output path untouched.
#pragma once

#include "convert_context.h"
#include "convert_host.h"

namespace kelmoro {

bool WriteAu(CConvertContext& context, CConvertHost& host);

}  // namespace kelmoro
