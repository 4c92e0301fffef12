#include "core/processes.h"

#include <mutex>
#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace tovarune {

namespace {

// Players on many threads write and load at once.
std::mutex own_names_mutex;
std::set<std::string> own_names;

} // namespace

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

bool claim_own_name(const std::string &name) {
    const std::lock_guard<std::mutex> lock(own_names_mutex);
    return own_names.insert(name).second;
}

void release_own_name(const std::string &name) {
    const std::lock_guard<std::mutex> lock(own_names_mutex);
    own_names.erase(name);
}

void remove_if_left_over(std::uint32_t id, const std::string &name,
                         const std::function<void()> &remove) {
    if (id != current_process_id()) {
        if (process_has_ended(id)) {
            remove();
        }
        return;
    }
    const std::lock_guard<std::mutex> lock(own_names_mutex);
    if (own_names.count(name) == 0) {
        remove();
    }
}

} // namespace tovarune
