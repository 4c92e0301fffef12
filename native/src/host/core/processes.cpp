#include "core/processes.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace tovarune {

#ifdef _WIN32

std::uint32_t current_process_id() { return GetCurrentProcessId(); }

bool process_has_ended(std::uint32_t id) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) {
        // Access denied means it runs, as another user's.
        return GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD exit_code = 0;
    const bool ended = GetExitCodeProcess(process, &exit_code) && exit_code != STILL_ACTIVE;
    CloseHandle(process);
    return ended;
}

#else

std::uint32_t current_process_id() { return static_cast<std::uint32_t>(getpid()); }

bool process_has_ended(std::uint32_t id) {
    return id != 0 && kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
}

#endif

} // namespace tovarune
