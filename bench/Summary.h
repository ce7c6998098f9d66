#pragma once
// Figures and their anchors measured in the same run: each case keeps its
// samples, and the summary at the end prints min and median of each and the
// ratio of every figure to its anchor.

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class Summary {
public:
    void add(const std::string& name, double value) { samples_[name].push_back(value); }

    // `figure` is compared with `anchor` (the plain thing it should come close to).
    void compare(const std::string& figure, const std::string& anchor) {
        pairs_.emplace_back(figure, anchor);
    }

    static double minimum(const std::vector<double>& values) {
        return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
    }
    static double median(std::vector<double> values) {
        if (values.empty()) return 0;
        std::sort(values.begin(), values.end());
        const size_t n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    }

    void print(const char* title, const char* unit) const {
        std::printf("\n%-44s %10s %10s %8s\n", title, "min", "median", "runs");
        for (const auto& [name, values] : samples_)
            std::printf("%-44s %8.2f%-2s %8.2f%-2s %8zu\n", name.c_str(), minimum(values), unit,
                        median(values), unit, values.size());
        for (const auto& [figure, anchor] : pairs_) {
            const auto f = samples_.find(figure);
            const auto a = samples_.find(anchor);
            if (f == samples_.end() || a == samples_.end()) continue;
            std::printf("%s / %s: %.2fx (medians), %.2fx (minima)\n", figure.c_str(), anchor.c_str(),
                        median(f->second) / median(a->second), minimum(f->second) / minimum(a->second));
        }
    }

private:
    std::map<std::string, std::vector<double>> samples_;
    std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace bench
