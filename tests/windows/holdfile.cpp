// Holds a file open as another program would (a viewer, an editor) until
// its standard input ends. Prints "held" once the file is open.
// Usage: holdfile FILE ACCESS SHARE   (ACCESS: r, w or rw; SHARE: any of
// r, w and d, or - for none)
#include <windows.h>

#include <cstdio>
#include <cwchar>

DWORD flags(const wchar_t *letters, DWORD r, DWORD w, DWORD d)
{
    return (std::wcschr(letters, L'r') ? r : 0) | (std::wcschr(letters, L'w') ? w : 0)
           | (std::wcschr(letters, L'd') ? d : 0);
}

int wmain(int argc, wchar_t **argv)
{
    if (argc != 4)
        return 2;
    const HANDLE file = ::CreateFileW(argv[1], flags(argv[2], GENERIC_READ, GENERIC_WRITE, 0),
                                      flags(argv[3], FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_DELETE), nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    std::printf("held\n");
    std::fflush(stdout);
    char buffer[64];
    DWORD got = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    }
    return 0;
}
