// Standard input, output and error kept open. A program started with one
// of them closed (`2>&-`) would otherwise be given that number for the next
// file it opens, and its messages would be written into that file, perhaps
// the AU file being made. Each closed one is opened on /dev/null for
// reading only, so that anything written to it still fails (EBADF) and is
// reported as a failed write where it is checked.
#pragma once

namespace platform {

void KeepStandardStreamsOpen();

}  // namespace platform
