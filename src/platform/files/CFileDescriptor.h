// A POSIX file descriptor that is closed when the object goes.
#pragma once

#include <unistd.h>

class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : fd(fd) {}
    ~CFileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return fd; }
    bool Valid() const { return fd >= 0; }

    // Closes now and says whether close succeeded (errno tells why not): for
    // a file just written, a failed close can mean lost data.
    bool Close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0;
    }

private:
    int fd;
};
