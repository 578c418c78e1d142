#pragma once

#include "sim/byte_source.h"
#include "sim/firmware_image.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vardel {

struct ScanResult {
    enum class Outcome { Valid, Broken, Stopped };
    Outcome outcome = Outcome::Valid;
    bool complete = false; // the whole file was read
    std::string error;
};

// Lines longer than this are no text and no record: a record holds at most
// 255 data bytes, 521 characters.
const size_t kMaxLineLength = 1024;

// Reads a firmware file into `image`, at most `byteBudget` bytes of it: a file
// that is fine as far as read is Valid, but only `complete` when the end was
// reached, after which the end record and the data are checked too.
// `keepGoing` is asked now and then; false stops the scan.
ScanResult ScanFirmware(ByteSource& in, FirmwareImage& image, uint64_t byteBudget,
                        const std::function<bool()>& keepGoing = nullptr);

const uint64_t kWholeFile = UINT64_MAX;

} // namespace vardel
