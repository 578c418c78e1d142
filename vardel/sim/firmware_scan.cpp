#include "sim/firmware_scan.h"

#include "sim/intel_hex.h"

#include <fstream>
#include <vector>

namespace vardel {
namespace {

const unsigned kLinesBetweenQuestions = 4096;

enum class LineRead { Line, TooLong, End };

// One line without its end (LF or CR LF), bounded in length, so a binary file
// without line ends cannot fill the memory.
LineRead ReadLine(std::istream& in, std::vector<char>& buffer, std::string& line,
                  uint64_t& bytesRead) {
    in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize extracted = in.gcount();
    bytesRead += static_cast<uint64_t>(extracted);
    if (extracted == 0 && in.eof()) {
        return LineRead::End;
    }
    if (in.fail() && !in.eof()) {
        return LineRead::TooLong;
    }
    // Without eof the line end was extracted and counted, but not stored.
    line.assign(buffer.data(), static_cast<size_t>(in.eof() ? extracted : extracted - 1));
    return LineRead::Line;
}

} // namespace

ScanResult ScanFirmware(std::istream& in, FirmwareImage& image, uint64_t byteBudget,
                        const std::function<bool()>& keepGoing) {
    ScanResult result;
    IntelHexReader reader(image);
    std::vector<char> buffer(kMaxLineLength + 1);
    std::string line;
    uint64_t bytesRead = 0;
    unsigned linesSinceQuestion = 0;
    while (bytesRead < byteBudget) {
        const LineRead read = ReadLine(in, buffer, line, bytesRead);
        if (read == LineRead::End) {
            result.complete = true;
            if (!reader.Finish()) {
                result.outcome = ScanResult::Outcome::Broken;
                result.error = reader.Error();
            }
            return result;
        }
        if (read == LineRead::TooLong || !reader.Feed(line)) {
            result.outcome = ScanResult::Outcome::Broken;
            result.error = read == LineRead::TooLong ? "line too long" : reader.Error();
            return result;
        }
        if (keepGoing && ++linesSinceQuestion == kLinesBetweenQuestions) {
            linesSinceQuestion = 0;
            if (!keepGoing()) {
                result.outcome = ScanResult::Outcome::Stopped;
                return result;
            }
        }
    }
    return result;
}

std::unique_ptr<std::istream> OpenFirmwareFile(const std::string& path) {
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!file->is_open()) {
        return nullptr;
    }
    return file;
}

} // namespace vardel
