#include "core/adapter/linux/I2cDevSystem.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tp::linuxi2c {

System realSystem()
{
    System s;
    s.open = [](const char* path) { return ::open(path, O_RDWR | O_CLOEXEC); };
    s.ioctl = [](int fd, unsigned long request, unsigned long arg) { return ::ioctl(fd, request, arg); };
    s.close = [](int fd) { ::close(fd); };
    return s;
}

} // namespace tp::linuxi2c
