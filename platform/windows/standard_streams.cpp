// Standard streams on Windows. The AU file is written through a system
// handle, never a C library descriptor, so it cannot be given the number of
// a standard stream the program was started without, as it can on POSIX.
// Standard input is read in binary: a file list (--files-from=-) may hold
// any byte, and text mode would end it at the first Ctrl+Z.
#include "standard_streams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace platform {

void KeepStandardStreamsOpen() {
    _setmode(_fileno(stdin), _O_BINARY);
}

}  // namespace platform
