// Figures of the portable core (Google Benchmark): the settings rules and the
// file field's path shortening.
#include "fields/path_shortening.h"
#include "firmware/header_preview.h"
#include "memory_profile.h"
#include "settings/download_settings.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <unistd.h>

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
        benchmark::DoNotOptimize(fields::ShortenFilePath(path, 200, extent));
    }
}
BENCHMARK(BM_ShortenDeepPath)->Arg(4)->Arg(40);

// A firmware file of the given size: a header, then data records. Sizes in
// the gigabytes are made sparse, so the disk holds only the first records.
std::string FirmwareFile(long long size) {
    const std::string path = "/tmp/tavro-bench-" + std::to_string(size) + ".fdl";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < 12; ++i) {
        out << "; header line " << i << " of the firmware description\r\n";
    }
    std::string record = ":10000000000102030405060708090A0B0C0D0E0F78\r\n";
    for (long long written = 12 * 40;
         written + static_cast<long long>(record.size()) < size && written < (1 << 20);
         written += static_cast<long long>(record.size())) {
        out << record;
    }
    out.close();
    if (truncate(path.c_str(), size) != 0) {
        std::perror("truncate");
    }
    return path;
}

// What the platform does on Windows: opens the file and reads its start.
std::optional<std::string> ReadStart(const std::string& path, std::size_t maxBytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes(maxBytes, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(maxBytes));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void BM_PreviewHeader(benchmark::State& state) {
    const std::string path = FirmwareFile(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(firmware::PreviewTextOf(path, ReadStart));
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_PreviewHeader)->Arg(1 << 10)->Arg(1LL << 30)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
