// What the timing tools share: percentiles of a set of measurements, and the machine they
// were taken on.
#ifndef TUNEDECK_BENCHSTATS_H
#define TUNEDECK_BENCHSTATS_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace benchstats {

struct Summary {
    double median = 0, p99 = 0, worst = 0;
};

inline Summary summarize(std::vector<double> values)
{
    Summary s;
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    auto at = [&](double q) {
        const auto k = static_cast<std::size_t>(std::ceil(q * double(values.size()))) - 1;
        return values[std::min(k, values.size() - 1)];
    };
    s.median = at(0.5);
    s.p99 = at(0.99);
    s.worst = values.back();
    return s;
}

// The one-minute load average; -1 where the system does not say.
inline double loadAverage()
{
    std::FILE *f = std::fopen("/proc/loadavg", "r");
    double load = -1;
    if (f) {
        if (std::fscanf(f, "%lf", &load) != 1)
            load = -1;
        std::fclose(f);
    }
    return load;
}

inline std::string cpuModel()
{
    std::FILE *f = std::fopen("/proc/cpuinfo", "r");
    char line[256];
    std::string model = "unknown";
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "model name", 10) == 0 && std::strchr(line, ':')) {
            model = std::strchr(line, ':') + 2;
            model.erase(model.find_last_not_of("\n") + 1);
            break;
        }
    if (f)
        std::fclose(f);
    return model;
}

} // namespace benchstats

#endif
