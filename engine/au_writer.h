// Turns the context's block into mono mu-law at 8012 Hz and writes it to the
// AU file at the context's output path (or to standard output). Blocks
// followed by more only go on their way; the final block also finishes the
// file: the data size goes into the header, the progress bar moves from 90
// towards 100, and the file is put in place. The file appears only once it
// is complete: any failed write, or a file that could not be created, is
// reported then, after the last block, and leaves whatever was at the
// output path untouched.
#pragma once

#include "convert_context.h"
#include "convert_host.h"

namespace kelmoro {

bool WriteAu(CConvertContext& context, CConvertHost& host);

}  // namespace kelmoro
