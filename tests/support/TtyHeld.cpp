#include "tests/support/TtyHeld.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

int DescriptorsOn(const std::string& strPath) {
    struct stat stDev {};
    if (::stat(strPath.c_str(), &stDev) != 0) return 0;
    DIR* pDir = ::opendir("/proc/self/fd");
    if (!pDir) return -1;
    int nCount = 0;
    while (dirent* pEntry = ::readdir(pDir)) {
        const int fd = std::atoi(pEntry->d_name);
        if (pEntry->d_name[0] == '.' || fd == ::dirfd(pDir)) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == stDev.st_rdev) ++nCount;
    }
    ::closedir(pDir);
    return nCount;
}

int ExclusiveFlag(const std::string& strPath) {
    const int fd = ::open(strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY ? 1 : -1;
    int nExclusive = 0;
    const int nResult = ::ioctl(fd, TIOCGEXCL, &nExclusive);
    ::close(fd);
    return nResult == 0 ? (nExclusive ? 1 : 0) : -1;
}
