// Throughput of the count's two scans, beside a plain read of the same memory and the
// straightforward walk, on Japanese-like text and on nothing but CR LF, at sizes that live in the
// L2 cache, in the last-level cache and in main memory. Ends with a table of the ratios.

#include "counting/count.h"
#include "counting/kernels.h"
#include "counting/reference.h"
#include "texts.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

using namespace quorvel;
using namespace quorvel::counting;

namespace {

// The read baseline: the sum of the buffer's 64-bit words, compiled for the same instruction sets
// as the kernels, so that it reads as fast as this machine reads.
[[gnu::always_inline]] inline std::uint64_t sumWords(const char16_t* text, std::size_t units) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < units / 4; ++i) {
        std::uint64_t word;
        std::memcpy(&word, bytes + 8 * i, 8);
        sum += word;
    }
    return sum;
}

std::uint64_t readBaseline(const char16_t* text, std::size_t units) {
    return sumWords(text, units);
}
#if defined(__x86_64__)
[[gnu::target("avx2")]] std::uint64_t readAvx2(const char16_t* text, std::size_t units) {
    return sumWords(text, units);
}
[[gnu::target("avx512bw,avx512vl")]] std::uint64_t readAvx512(
    const char16_t* text, std::size_t units) {
    return sumWords(text, units);
}
#endif

// In the order of kernels::available().
constexpr std::uint64_t (*reads[])(const char16_t*, std::size_t) = {
    readBaseline,
#if defined(__x86_64__)
    readAvx2,
    readAvx512,
#endif
};

// The texts, each in a buffer of its own that starts on a cache line, as the fastest read wants.
std::u16string_view text(const std::string& kind, std::size_t bytes) {
    struct Buffer {
        std::unique_ptr<char16_t[]> units;
        std::size_t size;
    };
    static std::map<std::pair<std::string, std::size_t>, Buffer> texts;
    Buffer& found = texts[{ kind, bytes }];
    if (!found.units) {
        const std::u16string made
            = kind == "japanese" ? bench::japanese(bytes / 2) : bench::allCrLf(bytes / 2);
        found.units.reset(new (std::align_val_t { 64 }) char16_t[made.size()]);
        found.size = made.copy(found.units.get(), made.size());
    }
    return { found.units.get(), found.size };
}

struct Size {
    const char* name;
    std::int64_t bytes;
};
// In the L2 cache, in the last-level cache, and mostly in main memory.
constexpr Size sizes[] = { { "64KiB", 64 << 10 }, { "4MiB", 4 << 20 }, { "256MiB", 256 << 20 } };
constexpr const char* kinds[] = { "japanese", "crlf" };

template <typename Scan> void registerScan(const std::string& name, Scan scan) {
    for (const char* kind : kinds)
        for (const Size& size : sizes)
            benchmark::RegisterBenchmark((std::string(kind) + "/" + size.name + "/" + name).c_str(),
                [=](benchmark::State& state) {
                    const std::u16string_view t = text(kind, std::size_t(size.bytes));
                    for (auto _ : state)
                        benchmark::DoNotOptimize(scan(t));
                    state.SetBytesProcessed(state.iterations() * size.bytes);
                });
}

// Prints, after the usual report, each scan's speed against the read and the straightforward
// walk (the median over repetitions, when there are repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median)
                continue;
            const auto found = run.counters.find("bytes_per_second");
            if (found == run.counters.end())
                continue;
            auto& speed = median ? median_ : last_;
            speed[run.run_name.str()] = found->second.value / 1e9;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\nGB/s (10^9 bytes; the lines above count 2^30), and ratios to the read of "
                    "the same buffer and to the straightforward walk (%s kernel)\n",
            kernels::available().back().name);
        std::printf("%-8s %-6s %6s | %-24s | %-24s\n", "text", "size", "read", "crlfPairs",
            "fullWidthSpaces");
        for (const char* kind : kinds) {
            for (const Size& size : sizes) {
                const std::string at = std::string(kind) + "/" + size.name + "/";
                const double read = speed(at + "read");
                std::printf("%-8s %-6s %6.1f", kind, size.name, read);
                for (const char* scan : { "crlfPairs", "fullWidthSpaces" }) {
                    const double fast = speed(at + scan);
                    std::printf(" | %6.1f %5.2fx %7.1fx", fast, fast / read,
                        fast / speed(at + "reference." + scan));
                }
                std::printf("\n");
            }
        }
        std::printf("\nAll CR LF against Japanese text, same size:\n");
        for (const Size& size : sizes)
            for (const char* scan : { "crlfPairs", "fullWidthSpaces" })
                std::printf("  %-6s %-16s %5.2fx\n", size.name, scan,
                    speed(std::string("crlf/") + size.name + "/" + scan)
                        / speed(std::string("japanese/") + size.name + "/" + scan));
    }

private:
    double speed(const std::string& name) const {
        for (const auto* speeds : { &median_, &last_ })
            if (const auto found = speeds->find(name); found != speeds->end())
                return found->second;
        return 0;
    }
    std::map<std::string, double> median_, last_;
};

} // namespace

int main(int argc, char** argv) {
    const std::size_t best = kernels::available().size() - 1;
    registerScan("read", [best](std::u16string_view t) { return reads[best](t.data(), t.size()); });
    registerScan("reference.crlfPairs", reference::crlfPairs);
    registerScan("reference.fullWidthSpaces", reference::fullWidthSpaces);
    registerScan("crlfPairs", crlfPairs);
    registerScan("fullWidthSpaces", fullWidthSpaces);
    for (const kernels::Kernel& kernel : kernels::available()) {
        registerScan(std::string(kernel.name) + ".crlfPairs", kernel.crlfPairs);
        registerScan(std::string(kernel.name) + ".fullWidthSpaces", kernel.fullWidthSpaces);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
