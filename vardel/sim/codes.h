#pragma once

#include <cstdint>

namespace vardel {

// Results of InitDownload and statuses of a run: -(100 x phase + condition).
namespace code {
const int32_t kWrongPort = -1;
const int32_t kWrongAddress = -2;
const int32_t kWrongBaudRate = -3;
const int32_t kWrongDataBits = -4;
const int32_t kWrongStopBits = -5;
const int32_t kWrongParity = -6;
const int32_t kWrongInitString = -7;
const int32_t kCannotOpenFile = -9;
const int32_t kWrongDownloadId = -700;
const int32_t kCancelled = -701;
const int32_t kWrongOstrelVersion = -702;
const int32_t kDataError = -703;
const int32_t kFinished = 500;
} // namespace code

// Phases of the code space that the run reports failures in.
namespace codephase {
const int kInitFdl = 1;
const int kDelCpr = 2;
const int kProgCpr = 3;
const int kDelIop = 4;
const int kProgIop = 5;
const int kEndFdl = 6;
const int kLibrary = 7;
} // namespace codephase

const int kConditionNoResponse = 5;

// Phases reported with the status: rows of the program's phase text table.
namespace phase {
const int32_t kStarting = 0;
const int32_t kInitCpm = 1;
const int32_t kStartCpr = 2;
const int32_t kEraseCpr = 3;
const int32_t kEraseIop = 4;
const int32_t kProgramCpr = 5;
const int32_t kProgramIop = 6;
const int32_t kEnded = 7;
const int32_t kVerifying = 8;
const int32_t kPreparing = 9;
} // namespace phase

} // namespace vardel
