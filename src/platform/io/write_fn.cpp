#include "platform/io/write_fn.h"

#include <cerrno>
#include <unistd.h>

namespace meru::io {

std::size_t write_fully(const WriteFn& write, int fd, const char* data, std::size_t n)
{
    std::size_t done = 0;
    while (done < n) {
        const long k =
            write ? write(fd, data + done, n - done) : static_cast<long>(::write(fd, data + done, n - done));
        if (k < 0 && errno == EINTR) continue;
        if (k <= 0) {
            if (k == 0) errno = ENOSPC; // nothing taken and no reason given: the device is full
            return done;
        }
        done += static_cast<std::size_t>(k);
    }
    return done;
}

} // namespace meru::io
