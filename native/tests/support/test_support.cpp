#include "test_support.h"

#include "content/native_path.h"
#include "core/core_library.h"
#include "media/pixel_conversion.h"

#include <cstdlib>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tovarune::testing {

TempDir::TempDir() {
    std::random_device random;
    std::error_code ec;
    dir_ = fs::temp_directory_path(ec) / ("tovarune-test-" + std::to_string(random()));
    fs::create_directories(dir_, ec);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string TempDir::path(const std::string &name) const {
    const std::string dir = utf8_of(dir_);
    return name.empty() ? dir : dir + "/" + name;
}

// The variable the platform's temporary directory comes from; empty restores none.
#ifdef _WIN32
static void set_temporary_directory(const fs::path &path) {
    SetEnvironmentVariableW(L"TMP", path.empty() ? nullptr : path.c_str());
}
#else
static void set_temporary_directory(const fs::path &path) {
    path.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", path.c_str(), 1);
}
#endif

TemporaryDirectoryAt::TemporaryDirectoryAt(const std::string &path) {
#ifdef _WIN32
    wchar_t old[32768];
    const DWORD size = GetEnvironmentVariableW(L"TMP", old, 32768);
    old_ = size > 0 && size < 32768 ? fs::path(old) : fs::path();
#else
    const char *old = getenv("TMPDIR");
    old_ = old != nullptr ? fs::path(old) : fs::path();
#endif
    set_temporary_directory(path_of(path));
}

TemporaryDirectoryAt::~TemporaryDirectoryAt() { set_temporary_directory(old_); }

std::string fake_core_path(const std::string &variant) {
    return std::string(FAKE_CORE_DIR) + "/" + variant + SHARED_LIBRARY_SUFFIX;
}

std::string utf8_of(const fs::path &path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path path_of(const std::string &utf8) { return native_path(utf8); }

std::vector<std::uint8_t> read_bytes(const std::string &path) {
    std::ifstream in(path_of(path), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const std::string &path, const std::vector<std::uint8_t> &bytes) {
    std::ofstream out(path_of(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string &path) {
    std::error_code ec;
    return fs::exists(path_of(path), ec);
}

std::vector<std::string> directory_entries(const std::string &path) {
    std::vector<std::string> names;
#ifdef _WIN32
    // MinGW's directory iterator cannot open deep directories.
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((path_of(path) / L"*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(utf8_of(name));
        }
    }
    FindClose(search);
#else
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(path_of(path), ec)) {
        names.push_back(utf8_of(entry.path().filename()));
    }
#endif
    return names;
}

#ifndef _WIN32
FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    old_soft_ = old.rlim_cur;
    old_hard_ = old.rlim_max;
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    const rlimit old{static_cast<rlim_t>(old_soft_), static_cast<rlim_t>(old_hard_)};
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler_);
}

bool killed_in_the_middle(const std::function<void()> &write) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit none{0, 0}, small{4096, 4096};
        setrlimit(RLIMIT_CORE, &none);
        setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        write();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

std::atomic<int> directory_syncs{0};
#endif

FakeCoreControl *FakeCore::current_ = nullptr;

FakeCore::FakeCore(const std::string &variant) : path_(fake_core_path(variant)) {
    library_ = open_library(path_);
    if (library_ == nullptr) {
        ADD_FAILURE() << "cannot load " << path_;
        return;
    }
    auto reset = reinterpret_cast<void (*)()>(find_symbol(library_, "fake_core_reset"));
    auto get = reinterpret_cast<FakeCoreControl *(*)()>(find_symbol(library_, "fake_core_control"));
    reset();
    control_ = get();
    current_ = control_;
}

FakeCore::~FakeCore() {
    if (library_ != nullptr) {
        close_library(library_);
    }
}

std::vector<std::string> FakeCore::calls() const {
    return std::vector<std::string>(control_->calls, control_->calls + control_->call_count);
}

FakeCoreControl &fake_core_of(const Player &player) {
    using Get = FakeCoreControl *(*)();
    return *reinterpret_cast<Get>(find_symbol(player.library(), "fake_core_control"))();
}

void RecordingSink::present_frame(const VideoFrame &frame) {
    last_frame = frame;
    last_rgba.assign(rgba_size(frame.width, frame.height), 0);
    convert_frame(frame, last_rgba.data());
    ++frames;
}

} // namespace tovarune::testing

#ifndef _WIN32
// A sync of a directory can only be seen from here.
extern "C" int fsync(int fd) {
    struct stat status;
    if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ++tovarune::testing::directory_syncs;
    }
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}
#endif

namespace tovarune::testing {

namespace {

std::string act_entry_point;
std::function<void()> pending_act;

void act_if_inside(const char *entry_point) {
    if (pending_act && act_entry_point == entry_point) {
        const std::function<void()> act = std::move(pending_act);
        pending_act = nullptr;
        act();
    }
}

} // namespace

void act_inside(const char *entry_point, const std::function<void()> &act) {
    act_entry_point = entry_point != nullptr ? entry_point : "";
    pending_act = act;
    FakeCore::current().hook = act ? act_if_inside : nullptr;
}

} // namespace tovarune::testing
