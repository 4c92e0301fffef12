#include "environment/environment_commands.h"

#include <libretro.h>

#include <chrono>
#include <cstdint>
#include <utility>

namespace tovarune::environment {

namespace {

using Clock = std::chrono::steady_clock;

retro_time_t time_usec() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

// Nanoseconds.
retro_perf_tick_t perf_counter() {
    return static_cast<retro_perf_tick_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
            .count());
}

std::uint64_t cpu_features() {
    std::uint64_t features = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    const std::pair<bool, std::uint64_t> known[] = {
        {__builtin_cpu_supports("mmx"), RETRO_SIMD_MMX},
        {__builtin_cpu_supports("sse"), RETRO_SIMD_SSE},
        {__builtin_cpu_supports("sse2"), RETRO_SIMD_SSE2},
        {__builtin_cpu_supports("sse3"), RETRO_SIMD_SSE3},
        {__builtin_cpu_supports("ssse3"), RETRO_SIMD_SSSE3},
        {__builtin_cpu_supports("sse4.1"), RETRO_SIMD_SSE4},
        {__builtin_cpu_supports("sse4.2"), RETRO_SIMD_SSE42},
        {__builtin_cpu_supports("avx"), RETRO_SIMD_AVX},
        {__builtin_cpu_supports("avx2"), RETRO_SIMD_AVX2},
        {__builtin_cpu_supports("popcnt"), RETRO_SIMD_POPCNT},
        {__builtin_cpu_supports("aes"), RETRO_SIMD_AES},
        {__builtin_cpu_supports("cmov"), RETRO_SIMD_CMOV},
    };
    for (const auto &[supported, bit] : known) {
        features |= supported ? bit : 0;
    }
#endif
    return features;
}

// Counters count and time what they are given; nothing is logged.
void perf_register(retro_perf_counter *counter) {
    if (counter != nullptr) {
        counter->registered = true;
    }
}

void perf_start(retro_perf_counter *counter) {
    if (counter != nullptr) {
        ++counter->call_cnt;
        counter->start = perf_counter();
    }
}

void perf_stop(retro_perf_counter *counter) {
    if (counter != nullptr) {
        counter->total += perf_counter() - counter->start;
    }
}

void perf_log() {}

} // namespace

bool get_perf_interface(Player &, void *data) {
    if (data == nullptr) {
        return false;
    }
    *static_cast<retro_perf_callback *>(data) = {
        time_usec, cpu_features, perf_counter, perf_register, perf_start, perf_stop, perf_log};
    return true;
}

} // namespace tovarune::environment
