#include "interruptsystem.h"

#include "interrupt.h"

#include <csignal>
#include <windows.h>

namespace quenlo::cli {

namespace {

BOOL WINAPI oncontrol(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    noteinterrupt(SIGINT);
    return TRUE;
}

} // namespace

long long steadymilliseconds()
{
    return static_cast<long long>(::GetTickCount64());
}

void writeerrornowait(const char *text, std::size_t size)
{
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (err != nullptr && err != INVALID_HANDLE_VALUE && ::GetFileType(err) != FILE_TYPE_PIPE)
        ::WriteFile(err, text, static_cast<DWORD>(size), &written, nullptr);
}

bool erroronterminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void listenforinterrupts()
{
    ::SetConsoleCtrlHandler(oncontrol, TRUE);
}

} // namespace quenlo::cli
