// Descriptors 0, 1 and 2 occupied when the program starts without them.
#include "standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

void KeepStandardStreamsOpen() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open gives the lowest free number, which is this one.
        const int opened = open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) close(opened);
    }
}

}  // namespace platform
