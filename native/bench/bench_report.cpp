#include "bench_report.h"

#include <cstdio>

namespace tovarune::bench {

namespace {

bool starts_with(const std::string &text, const std::string &prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string after_second_slash(const std::string &name) {
    const std::size_t first = name.find('/');
    const std::size_t second = first == std::string::npos ? first : name.find('/', first + 1);
    return second == std::string::npos ? std::string() : name.substr(second + 1);
}

} // namespace

std::string baseline_of(const std::string &name) {
    if (starts_with(name, "convert/")) {
        return "memcpy/" + after_second_slash(name);
    }
    if (starts_with(name, "core/") && name.size() > 5 &&
        name.compare(name.size() - 5, 5, "/host") == 0) {
        return name.substr(0, name.size() - 5) + "/bare";
    }
    if (starts_with(name, "read_back/") && name.find("/draw_only") == std::string::npos) {
        return name.substr(0, name.rfind('/')) + "/draw_only";
    }
    return {};
}

std::string describe(const std::string &name, double seconds, double baseline_seconds) {
    char text[96] = "";
    if (starts_with(name, "convert/") && baseline_seconds > 0) {
        std::snprintf(text, sizeof text, "%.2fx memcpy speed", baseline_seconds / seconds);
    } else if (starts_with(name, "core/") && baseline_seconds > 0) {
        std::snprintf(text, sizeof text, "%.0f fps, host overhead %+.1f %%", 1.0 / seconds,
                      (seconds / baseline_seconds - 1.0) * 100.0);
    } else if (starts_with(name, "core/")) {
        std::snprintf(text, sizeof text, "%.0f fps", 1.0 / seconds);
    } else if (starts_with(name, "read_back/") && baseline_seconds > 0) {
        std::snprintf(text, sizeof text, "%+.3f ms a frame over drawing alone",
                      (seconds - baseline_seconds) * 1e3);
    } else if (starts_with(name, "host_frame/")) {
        std::snprintf(text, sizeof text, "%.2f %% of a 16.7 ms frame",
                      seconds / (1.0 / 60.0) * 100.0);
    }
    return text;
}

} // namespace tovarune::bench
