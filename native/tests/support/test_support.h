#pragma once

#include "fake_core_control.h"
#include "media/frame_sink.h"
#include "player.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tovarune::testing {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // UTF-8 text of the directory, or of `name` inside it.
    std::string path(const std::string &name = "") const;

private:
    std::filesystem::path dir_;
};

// While it lives, this process's temporary directory is `path`.
class TemporaryDirectoryAt {
public:
    explicit TemporaryDirectoryAt(const std::string &path);
    ~TemporaryDirectoryAt();
    TemporaryDirectoryAt(const TemporaryDirectoryAt &) = delete;
    TemporaryDirectoryAt &operator=(const TemporaryDirectoryAt &) = delete;

private:
    std::filesystem::path old_;
};

// Path of a fake core build: "fake_core", "fake_core_api_2", ...
std::string fake_core_path(const std::string &variant = "fake_core");

// The UTF-8 text of a native path, and back.
std::string utf8_of(const std::filesystem::path &path);
std::filesystem::path path_of(const std::string &utf8);

std::vector<std::uint8_t> read_bytes(const std::string &path);
void write_bytes(const std::string &path, const std::vector<std::uint8_t> &bytes);
bool file_exists(const std::string &path);
// Names of the entries in a directory.
std::vector<std::string> directory_entries(const std::string &path);

#ifndef _WIN32
// While it lives, writes past `bytes` into any regular file fail, as on a
// full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    std::uint64_t old_soft_, old_hard_;
    void (*old_handler_)(int);
};

// Runs `write` in a child process that a file size limit of 4 KiB kills in the
// middle, as a crash would; true when it was killed.
bool killed_in_the_middle(const std::function<void()> &write);

// How many times a directory was synced to disk: counted by an fsync of the
// test programs' own, which stands in for the C library's.
extern std::atomic<int> directory_syncs;
#endif

// Keeps the fake core library loaded for the whole test, so its knobs and log
// outlive the player's own load and unload, and starts every test from a reset
// core.
class FakeCore {
public:
    explicit FakeCore(const std::string &variant = "fake_core");
    ~FakeCore();
    FakeCore(const FakeCore &) = delete;
    FakeCore &operator=(const FakeCore &) = delete;

    const std::string &path() const { return path_; }
    FakeCoreControl &control() { return *control_; }
    FakeCoreControl *operator->() { return control_; }

    std::vector<std::string> calls() const;
    // What the library's exported `T *name()` returns.
    template <typename T> T &exported(const char *name) {
        return *reinterpret_cast<T *(*)()>(find_symbol(library_, name))();
    }
    // The knobs of the newest FakeCore, for hooks, which cannot capture.
    static FakeCoreControl &current() { return *current_; }
    void clear_calls() { control_->call_count = 0; }

private:
    std::string path_;
    void *library_ = nullptr;
    FakeCoreControl *control_ = nullptr;
    static FakeCoreControl *current_;
};

// Runs `act` as the core's own code: once, from inside the newest fake core's
// `entry_point`, which `call` leads the player into. Returns what `call` does.
void act_inside(const char *entry_point, const std::function<void()> &act);
template <typename Call>
auto as_core(const char *entry_point, const std::function<void()> &act, Call &&call) {
    act_inside(entry_point, act);
    struct Done {
        ~Done() { act_inside(nullptr, nullptr); }
    } done;
    return call();
}

// The knobs of the fake core library a player runs: a private copy has its own.
FakeCoreControl &fake_core_of(const Player &player);

// Records what the host hands a frame consumer.
class RecordingSink : public FrameSink {
public:
    void present_frame(const VideoFrame &frame) override;
    void drop_frame() override { ++drops; }

    std::vector<std::uint8_t> last_rgba;
    VideoFrame last_frame;
    int frames = 0;
    int drops = 0;
};

// Records what a player tells of its core, from any thread.
class RecordingEvents : public PlayerEvents {
public:
    void core_logged(unsigned level, const std::string &message) override {
        const std::lock_guard<std::mutex> lock(mutex);
        lines.emplace_back(level, message);
    }

    void core_message(const std::string &message, double seconds) override {
        tell("message " + message + " " + number(seconds));
    }
    void shutdown_requested() override { tell("shutdown"); }
    void av_info_changed() override { tell("av_info"); }
    void rumble_changed(unsigned port, unsigned effect, double strength) override {
        tell("rumble " + std::to_string(port) + " " + std::to_string(effect) + " " +
             number(strength));
    }
    void core_options_changed() override { tell("options"); }
    static std::string number(double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }

    std::mutex mutex;
    std::vector<std::pair<unsigned, std::string>> lines;
    // The other news, one line each: "shutdown", "rumble 1 0 0.5", ...
    std::vector<std::string> news;

private:
    void tell(const std::string &line) {
        const std::lock_guard<std::mutex> lock(mutex);
        news.push_back(line);
    }
};

} // namespace tovarune::testing
