// How long the simulator takes to download firmware files at speed factor 1,
// next to the bound the serial line sets: the data bytes alone on the line.
//   fdl_timing [--baud N] file.fdl...
#include "sim/firmware_scan.h"
#include "sim/init_request.h"
#include "sim/timing_model.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kDefaultInit = "0xFD Adr 0x08 0x00 0x01 0xFF LRC";

const char* PhaseName(int32_t phase) {
    switch (phase) {
    case 0:
        return "starting";
    case 1:
        return "init CPM";
    case 2:
        return "start CPR communication";
    case 3:
        return "erasing CPR";
    case 4:
        return "erasing IOP";
    case 5:
        return "programming CPR";
    case 6:
        return "programming IOP";
    case 8:
        return "verifying";
    default:
        return "?";
    }
}

bool Report(const std::string& path, const vardel::LineSettings& line) {
    const vardel::TimingConstants timing;
    const auto file = vardel::OpenFileSource(path);
    if (!file) {
        std::printf("%s: cannot open\n", path.c_str());
        return false;
    }
    vardel::FirmwareImage image(timing.blockBytes, timing.sectorBytes);
    const vardel::ScanResult scan = vardel::ScanFirmware(*file, image, vardel::kWholeFile);
    if (scan.outcome != vardel::ScanResult::Outcome::Valid) {
        std::printf("%s: broken, %s\n", path.c_str(), scan.error.c_str());
        return false;
    }
    const vardel::RunPlan plan =
        vardel::PlanRun(image, *vardel::InitTelegramBytes(kDefaultInit), line, timing);
    std::printf("%s\n  data: CPR %llu bytes in %llu sectors, IOP %llu bytes in %llu sectors\n",
                path.c_str(), static_cast<unsigned long long>(image.Cpr().bytes),
                static_cast<unsigned long long>(image.Cpr().sectors.size()),
                static_cast<unsigned long long>(image.Iop().bytes),
                static_cast<unsigned long long>(image.Iop().sectors.size()));
    for (const vardel::PlanStep& step : plan.steps) {
        std::printf("  phase %d %-24s %9llu blocks %10.3f s\n", step.phase, PhaseName(step.phase),
                    static_cast<unsigned long long>(step.blocks), step.Seconds());
    }
    const double total = plan.Seconds();
    const double limit = vardel::LineLimitSeconds(image.Bytes(), line);
    std::printf("  total %.1f s, line limit %.1f s (%d bits per byte at %d baud), ratio %.2f\n",
                total, limit, vardel::BitsPerCharacter(line), line.baudRate, total / limit);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    vardel::LineSettings line;
    bool allFine = true;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--baud" && i + 1 < argc) {
            line.baudRate = std::atoi(argv[++i]);
            if (line.baudRate <= 0) {
                std::printf("the baud rate must be a positive number\n");
                return 2;
            }
            continue;
        }
        allFine = Report(argument, line) && allFine;
    }
    if (argc < 2) {
        std::printf("usage: fdl_timing [--baud N] file.fdl...\n");
        return 2;
    }
    return allFine ? 0 : 1;
}
