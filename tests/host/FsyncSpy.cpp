// Preloaded into quendra-host by a test: notes in $QUENDRA_FSYNC_LOG each fsync of a folder, so
// that the test sees a save make the file's new name last.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

extern "C" int fsync(int fd)
{
    const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    struct stat st
    {
    };
    const char *log = std::getenv("QUENDRA_FSYNC_LOG");
    if (log && fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        const int out = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (out >= 0) {
            if (write(out, "folder\n", 7) != 7) {
            }
            close(out);
        }
    }
    return real ? real(fd) : 0;
}
