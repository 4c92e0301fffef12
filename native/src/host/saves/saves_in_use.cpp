#include "saves/saves_in_use.h"
#include "content/native_path.h"

#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace tovarune {

namespace {

// Players load and unload on many threads.
std::mutex claims_mutex;
std::set<std::string> claimed;

// One text per file, however a path names it: as the system finds it
// (relative to the working directory, through links and ".."), and on
// Windows, where names ignore case, in lower case.
std::string identity(const std::string &path) {
    const fs::path native = native_path(path);
    if (native.empty()) {
        return path;
    }
#ifdef _WIN32
    std::wstring full(32768, L'\0');
    const DWORD size =
        GetFullPathNameW(native.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(size < full.size() ? size : 0);
    if (full.empty()) {
        full = native.wstring();
    }
    if (full.rfind(L"\\\\?\\", 0) == 0 && full.size() > 5 && full[5] == L':') {
        full.erase(0, 4); // the extended form of a drive path names the same file
    }
    CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
    return fs::path(full).u8string();
#else
    std::error_code ec;
    const fs::path found = fs::weakly_canonical(native, ec);
    return ec ? native.lexically_normal().u8string() : found.u8string();
#endif
}

} // namespace

bool SaveFileClaim::claim(const std::string &path) {
    const std::string wanted = identity(path);
    const std::lock_guard<std::mutex> lock(claims_mutex);
    if (wanted != identity_ && claimed.count(wanted) != 0) {
        return false;
    }
    claimed.erase(identity_);
    claimed.insert(wanted);
    identity_ = wanted;
    path_ = path;
    return true;
}

void SaveFileClaim::release() {
    const std::lock_guard<std::mutex> lock(claims_mutex);
    if (!path_.empty()) {
        claimed.erase(identity_);
    }
    path_.clear();
    identity_.clear();
}

} // namespace tovarune
