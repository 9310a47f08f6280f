#pragma once
#include <functional>
#include <string>

namespace tp::linuxi2c {

// The system calls the i2c-dev backend makes; tests put a fake kernel behind
// them. Each returns what the call returns (-1 with errno set on failure).
struct System {
    std::function<int(const char* path)> open;
    // ioctl(fd, request, arg): arg is a pointer cast to an integer, or a value
    // for requests that take one (I2C_SLAVE_FORCE).
    std::function<int(int fd, unsigned long request, unsigned long arg)> ioctl;
    std::function<void(int fd)> close;
};

// The real calls.
System realSystem();

// Where the backend looks: the sysfs and /dev roots (a fake tree in tests)
// and the system calls.
struct Environment {
    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";
    System system = realSystem();
};

} // namespace tp::linuxi2c
