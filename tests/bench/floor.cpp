// The least any fixer must do per file: open, read the header, write it
// back, fsync, close. `floor fix FILE...` turns the marker's last digit to
// '2', `floor reset FILE...` back to '3', so runs can be repeated.
// `floor write FILE...` fixes without any flush: the limit of the disk's
// page cache, which no fixer that flushes can reach.
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const char digit = std::strcmp(argv[1], "reset") == 0 ? '3' : '2';
    const bool flush = std::strcmp(argv[1], "write") != 0;
    for (int i = 2; i < argc; ++i) {
        const int fd = open(argv[i], O_RDWR);
        char header[10];
        if (fd < 0 || pread(fd, header, sizeof header, 0) != sizeof header) {
            std::perror(argv[i]);
            return 1;
        }
        header[4] = digit;
        if (pwrite(fd, header, sizeof header, 0) != sizeof header || (flush && fsync(fd) != 0) || close(fd) != 0) {
            std::perror(argv[i]);
            return 1;
        }
    }
    return 0;
}
