// Figures of the portable core (Google Benchmark): the settings rules and the
// file field's path shortening.
#include "mainwnd/path_shortening.h"
#include "memory_profile.h"
#include "settings/download_settings.h"

#include <benchmark/benchmark.h>

namespace {

MemoryProfile ValidProfile() {
    MemoryProfile p;
    DownloadSettings s;
    settings::SetDefaultSettings(s);
    settings::WriteSettings(s, p);
    return p;
}

void BM_ReadSettings(benchmark::State& state) {
    MemoryProfile profile = ValidProfile();
    for (auto _ : state) {
        DownloadSettings s;
        benchmark::DoNotOptimize(settings::ReadSettings(s, profile, 0xFFFF, "", nullptr));
    }
}
BENCHMARK(BM_ReadSettings);

void BM_WriteSettings(benchmark::State& state) {
    MemoryProfile profile = ValidProfile();
    DownloadSettings s;
    settings::SetDefaultSettings(s);
    for (auto _ : state) {
        settings::WriteSettings(s, profile);
    }
}
BENCHMARK(BM_WriteSettings);

void BM_ShortenDeepPath(benchmark::State& state) {
    std::string path = "C:";
    for (int i = 0; i < state.range(0); ++i) {
        path += "\\folder" + std::to_string(i);
    }
    path += "\\main.fdl";
    const auto extent = [](const std::string& t) { return static_cast<int>(t.size()) * 6; };
    for (auto _ : state) {
        benchmark::DoNotOptimize(mainwnd::ShortenFilePath(path, 200, extent));
    }
}
BENCHMARK(BM_ShortenDeepPath)->Arg(4)->Arg(40);

} // namespace

BENCHMARK_MAIN();
