#pragma once
// What every benchmark prints: one row of the table per figure, with the program's value,
// the baseline's value measured in the same run, their ratio, the goal and whether it was
// met, and how many runs the figure took. scripts/bench prints the table's head (these
// columns) and the rows of every benchmark below it. Benchmarks never fail: a missed goal is a row that
// says so.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

// What a figure is held to.
struct Goal {
    enum class Kind { Report, RatioAtMost, AboveAtMost, NoGrowth, Zero };
    Kind kind = Kind::Report;
    double limit = 0;
    const char* unit = ""; // of an AboveAtMost limit, as the row's values have it

    // Reported only: no goal.
    static Goal Report() { return {}; }
    // The program's value at most limit times the baseline's.
    static Goal RatioAtMost(double limit) { return {Kind::RatioAtMost, limit}; }
    // The program's value at most limit above the baseline's, where what a step costs is
    // held to an amount rather than to a share of what the program needs anyway.
    static Goal AboveAtMost(double limit, const char* unit) { return {Kind::AboveAtMost, limit, unit}; }
    // The program's value ("after") no larger than the baseline ("before").
    static Goal NoGrowth() { return {Kind::NoGrowth, 0}; }
    // The program's value 0, whatever the baseline's.
    static Goal Zero() { return {Kind::Zero, 0}; }
};

// A value with its unit, as the table shows it.
struct Value {
    double amount;
    const char* unit; // "ms", "us", "KiB", "" ...
    int decimals = 0;
};

inline std::string Format(const Value& value)
{
    char text[48];
    std::snprintf(text, sizeof(text), "%.*f%s%s", value.decimals, value.amount, *value.unit ? " " : "", value.unit);
    return text;
}

inline std::string Format(const Goal& goal)
{
    char text[32];
    switch (goal.kind) {
    case Goal::Kind::Report: return "-";
    case Goal::Kind::RatioAtMost: std::snprintf(text, sizeof(text), "<= %.2fx", goal.limit); return text;
    case Goal::Kind::AboveAtMost: std::snprintf(text, sizeof(text), "<= +%g %s", goal.limit, goal.unit); return text;
    case Goal::Kind::NoGrowth: return "no growth";
    case Goal::Kind::Zero: return "0";
    }
    return "-";
}

// "met", "MISSED" or "-" for a figure without a goal.
inline const char* Verdict(const Goal& goal, double program, double baseline)
{
    switch (goal.kind) {
    case Goal::Kind::Report: return "-";
    case Goal::Kind::RatioAtMost: return baseline > 0 && program <= goal.limit * baseline ? "met" : "MISSED";
    case Goal::Kind::AboveAtMost: return program - baseline <= goal.limit ? "met" : "MISSED";
    case Goal::Kind::NoGrowth: return program <= baseline ? "met" : "MISSED";
    case Goal::Kind::Zero: return program == 0 ? "met" : "MISSED";
    }
    return "-";
}

inline void PrintRow(const char* figure, Value program, Value baseline, Goal goal, int runs)
{
    char ratio[16] = "-";
    if (baseline.amount > 0) {
        std::snprintf(ratio, sizeof(ratio), "%.2fx", program.amount / baseline.amount);
    }
    std::printf("%-48s %14s %14s %8s %-10s %-7s %d\n", figure, Format(program).c_str(), Format(baseline).c_str(), ratio,
                Format(goal).c_str(), Verdict(goal, program.amount, baseline.amount), runs);
    std::fflush(stdout);
}

// A line under the table that explains a figure (what Wine does not report, for instance).
inline void PrintNote(const std::string& note)
{
    std::printf("  note: %s\n", note.c_str());
    std::fflush(stdout);
}

// The value at quantile q (0 to 1) of the samples, by the nearest rank.
inline double Quantile(std::vector<double> samples, double q)
{
    if (samples.empty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<size_t>(std::ceil(q * static_cast<double>(samples.size())));
    return samples[std::clamp<size_t>(rank, 1, samples.size()) - 1];
}

inline double Median(const std::vector<double>& samples) { return Quantile(samples, 0.5); }

} // namespace bench
