// Loading a vocabulary file of 1,000,000 lines (about 20 MB) along the
// loader's read path, against `wc -l` on the same file in the same run, and
// the peak memory that a load adds, against the file's size.
#include "VocabularyQuiz.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path& VocabularyFile()
{
    static const fs::path path = [] {
        fs::path p = fs::temp_directory_path() / ("velto-bench-" + std::to_string(::getpid()) + ".txt");
        std::ofstream out(p, std::ios::binary);
        for (int i = 0; i < 1000000; ++i)
            out << "word" << i << ",Wort" << i % 1000 << "\n";
        return p;
    }();
    return path;
}

long ProcStatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::string(field).size(), nullptr, 10);
    }
    return -1;
}

// Wall time of one `wc -l file` process, from spawn to exit.
double WcSeconds(const std::string& file)
{
    const char* argv[] = { "wc", "-l", file.c_str(), nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid;
    int status = 0;
    if (posix_spawnp(&pid, "wc", &actions, nullptr, const_cast<char**>(argv), environ) != 0)
        return -1;
    waitpid(pid, &status, 0);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    return seconds;
}

void LoadMillionLines(benchmark::State& state)
{
    const fs::path& path = VocabularyFile();
    Ref<FolderItem> file = New<FolderItem>(String(path.string()));
    const double fileBytes = static_cast<double>(fs::file_size(path));

    // Peak memory of one load: reset the high-water mark, load, read it.
    double peakGrowth = -1;
    {
        std::ofstream("/proc/self/clear_refs") << "5";
        long before = ProcStatusKiB("VmRSS:");
        Array<String> lines = ReadVocabularyLines(file);
        long peak = ProcStatusKiB("VmHWM:");
        benchmark::DoNotOptimize(lines);
        peakGrowth = (peak - before) * 1024.0;
    }

    double seconds = 0;
    std::int64_t count = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        Array<String> lines = ReadVocabularyLines(file);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        count += lines.Count();
        benchmark::DoNotOptimize(lines);
    }

    double wc = 0;
    const int wcRuns = 5;
    for (int i = 0; i < wcRuns; ++i)
        wc += WcSeconds(path.string());
    wc /= wcRuns;

    const double perLoad = seconds / static_cast<double>(state.iterations());
    state.counters["lines_per_s"] = benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsRate);
    state.counters["wc_l_ms"] = wc * 1000;
    state.counters["load_ms"] = perLoad * 1000;
    state.counters["x_wc_l"] = perLoad / wc;
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["peak_growth_x_file"] = peakGrowth / fileBytes;
}

} // namespace

BENCHMARK(LoadMillionLines)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ignored;
    fs::remove(VocabularyFile(), ignored);
    return 0;
}
