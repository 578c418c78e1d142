#include "sim/firmware_scan.h"

#include "sim/intel_hex.h"
#include "sim/line_reader.h"

namespace vardel {
namespace {

const unsigned kLinesBetweenQuestions = 4096;

ScanResult Broken(std::string why) {
    ScanResult result;
    result.outcome = ScanResult::Outcome::Broken;
    result.error = std::move(why);
    return result;
}

} // namespace

ScanResult ScanFirmware(ByteSource& in, FirmwareImage& image, uint64_t byteBudget,
                        const std::function<bool()>& keepGoing) {
    ScanResult result;
    IntelHexReader reader(image);
    // Bounded in length, so a binary file without line ends cannot fill the
    // memory.
    LineReader lines(in, kMaxLineLength);
    std::string line;
    unsigned linesSinceQuestion = 0;
    while (lines.BytesRead() < byteBudget) {
        const LineReader::Outcome read = lines.Next(line);
        if (read == LineReader::Outcome::End) {
            result = reader.Finish() ? result : Broken(reader.Error());
            result.complete = true;
            return result;
        }
        if (read == LineReader::Outcome::TooLong) {
            return Broken("line too long");
        }
        if (read == LineReader::Outcome::ReadError) {
            return Broken("read error");
        }
        if (!reader.Feed(line)) {
            return Broken(reader.Error());
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

} // namespace vardel
