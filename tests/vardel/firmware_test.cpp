#include "hex_text.h"
#include "sim/firmware_scan.h"
#include "sim/intel_hex.h"
#include "sim/line_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace hextext;
using vardel::FirmwareImage;
using vardel::ScanResult;

const uint32_t kBlock = 128;
const uint32_t kSector = 0x10000;

struct Scanned {
    ScanResult result;
    FirmwareImage image{kBlock, kSector};
};

Scanned Scan(const std::string& text, uint64_t budget = vardel::kWholeFile) {
    Scanned s;
    vardel::StringSource in(text);
    s.result = vardel::ScanFirmware(in, s.image, budget);
    return s;
}

TEST(FirmwareScan, ReadsHeaderAndSplitsCprFromIop) {
    const std::string text =
        File(Data(0x00000000, 1000) + Data(0x80000000, 300, 16) + Record(0x05, 0, {0, 0, 0, 0}));
    Scanned s;
    std::istringstream in(text);
    vardel::IntelHexReader reader(s.image);
    std::string line;
    while (std::getline(in, line)) {
        ASSERT_TRUE(reader.Feed(line)) << reader.Error();
    }
    ASSERT_TRUE(reader.Finish()) << reader.Error();
    EXPECT_EQ(reader.HeaderLines(), 3u);
    EXPECT_EQ(s.image.Cpr().bytes, 1000u);
    EXPECT_EQ(s.image.Iop().bytes, 300u);
    EXPECT_EQ(s.image.Cpr().telegrams, 8u); // ceil(1000 / 128)
    EXPECT_EQ(s.image.Iop().telegrams, 3u); // ceil(300 / 128)
    EXPECT_EQ(s.image.Cpr().sectors, std::set<uint32_t>{0});
    EXPECT_EQ(s.image.Iop().sectors, std::set<uint32_t>{0x8000});
}

TEST(FirmwareScan, AcceptsLfEndsBlankLinesAndNoHeader) {
    std::string text = Data(0x1000, 64) + "\r\n   \r\n" + End() + "\n\n";
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.erase(at, 1);
    }
    const Scanned s = Scan(text);
    EXPECT_EQ(s.result.outcome, ScanResult::Outcome::Valid) << s.result.error;
    EXPECT_TRUE(s.result.complete);
    EXPECT_EQ(s.image.Bytes(), 64u);
}

struct BrokenCase {
    const char* name;
    std::string text;
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
    *os << c.name;
}

class BrokenFile : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFile, IsRefused) {
    const Scanned s = Scan(GetParam().text);
    EXPECT_EQ(s.result.outcome, ScanResult::Outcome::Broken);
    EXPECT_FALSE(s.result.error.empty());
}

std::string WithLastCharacters(std::string record, const std::string& replacement) {
    return record.replace(record.size() - 2 - replacement.size(), replacement.size(), replacement);
}

const std::string kGood = Data(0, 32);

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenFile,
    testing::Values(
        BrokenCase{"BadChecksum", File(WithLastCharacters(Record(0, 0, Bytes(16)), "00"))},
        BrokenCase{"OddLength", File(":000000001FF\r\n")},
        BrokenCase{"TooShort", File(":00000001\r\n")},
        BrokenCase{"NotHex", File(":10000000ZZ0102030405060708090A0B0C0D0E0FA0\r\n")},
        BrokenCase{"CountTooLarge", File(":0500000001020304F2\r\n")},
        BrokenCase{"UnknownType", File(kGood + Record(0x06, 0, {}))},
        BrokenCase{"EndWithData", kHeader + kGood + Record(0x01, 0, {1})},
        BrokenCase{"LinearRecordOfThreeBytes", File(Record(0x04, 0, {0, 0, 0}) + kGood)},
        BrokenCase{"SegmentRecordOfOneByte", File(Record(0x02, 0, {0}) + kGood)},
        BrokenCase{"StartRecordOfTwoBytes", File(kGood + Record(0x05, 0, {0, 0}))},
        BrokenCase{"RecordAfterEnd", File(kGood) + kGood},
        BrokenCase{"TextAmongRecords", File(kGood + "garbage\r\n" + kGood)},
        BrokenCase{"NoEndRecord", kHeader + kGood}, BrokenCase{"NoData", File(Linear(0))},
        BrokenCase{"HeaderOnly", std::string(kHeader)}, BrokenCase{"EmptyFile", ""},
        BrokenCase{"LineTooLong", std::string(2000, 'x') + "\r\n" + File(kGood)},
        BrokenCase{"BinaryWithoutLineEnds", std::string(100000, '\x01')},
        BrokenCase{"LineOf1024AndCr", std::string(1024, 'x') + "\r\n" + File(kGood)}),
    [](const testing::TestParamInfo<BrokenCase>& info) { return std::string(info.param.name); });

TEST(FirmwareScan, SegmentAddressesWrapWithinTheirSegment) {
    // Segment 0x1000 starts at 0x10000; 16 bytes from offset 0xFFF8 wrap to
    // its start, so the data stays in sector 1 and forms two runs.
    const Scanned s = Scan(
        File(Segment(0x10000) + Record(0x00, 0xFFF8, Bytes(16)) + Record(0x03, 0, {0, 0, 0, 0})));
    ASSERT_EQ(s.result.outcome, ScanResult::Outcome::Valid) << s.result.error;
    EXPECT_EQ(s.image.Cpr().bytes, 16u);
    EXPECT_EQ(s.image.Cpr().sectors, std::set<uint32_t>{1});
    EXPECT_EQ(s.image.Cpr().telegrams, 2u);
}

TEST(FirmwareScan, LinearRecordsRunOnAcross64KBoundaries) {
    const Scanned s = Scan(File(Linear(0x0000) + Record(0x00, 0xFFF0, Bytes(16)) + Linear(0x10000) +
                                Record(0x00, 0x0000, Bytes(16))));
    ASSERT_EQ(s.result.outcome, ScanResult::Outcome::Valid) << s.result.error;
    EXPECT_EQ(s.image.Cpr().telegrams, 1u); // one contiguous run of 32 bytes
    EXPECT_EQ(s.image.Cpr().sectors, (std::set<uint32_t>{0, 1}));
}

struct TallyCase {
    const char* name;
    std::vector<std::pair<uint32_t, uint32_t>> spans; // address, count
    uint64_t cprBytes, cprTelegrams, cprSectors;
    uint64_t iopBytes, iopTelegrams, iopSectors;
};

void PrintTo(const TallyCase& c, std::ostream* os) {
    *os << c.name;
}

class ImageTally : public testing::TestWithParam<TallyCase> {};

TEST_P(ImageTally, CountsBytesTelegramsAndSectorsPerMemory) {
    const TallyCase& c = GetParam();
    FirmwareImage image(kBlock, kSector);
    for (const auto& span : c.spans) {
        image.Add(span.first, span.second);
    }
    image.Finish();
    EXPECT_EQ(image.Cpr().bytes, c.cprBytes);
    EXPECT_EQ(image.Cpr().telegrams, c.cprTelegrams);
    EXPECT_EQ(image.Cpr().sectors.size(), c.cprSectors);
    EXPECT_EQ(image.Iop().bytes, c.iopBytes);
    EXPECT_EQ(image.Iop().telegrams, c.iopTelegrams);
    EXPECT_EQ(image.Iop().sectors.size(), c.iopSectors);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, ImageTally,
    testing::Values(TallyCase{"OneBlock", {{0, 128}}, 128, 1, 1, 0, 0, 0},
                    TallyCase{"ContiguousRecordsShareTelegrams",
                              {{0, 100}, {100, 100}, {200, 56}},
                              256,
                              2,
                              1,
                              0,
                              0,
                              0},
                    TallyCase{"GapStartsANewTelegram", {{0, 64}, {1000, 64}}, 128, 2, 1, 0, 0, 0},
                    TallyCase{"AcrossASectorBoundary", {{0xFFC0, 128}}, 128, 1, 2, 0, 0, 0},
                    TallyCase{"AcrossTheMemoryBoundary", {{0x7FFFFFF0, 32}}, 16, 1, 1, 16, 1, 1},
                    TallyCase{"IopOnly", {{0x80000000, 129}}, 0, 0, 0, 129, 2, 1},
                    TallyCase{"EmptyRecord", {{0x1000, 0}}, 0, 0, 0, 0, 0, 0}),
    [](const testing::TestParamInfo<TallyCase>& info) { return std::string(info.param.name); });

// The text, then a read error where it ends.
class FailingSource : public vardel::StringSource {
public:
    using StringSource::StringSource;
    std::optional<size_t> Read(char* buffer, size_t size) override {
        const std::optional<size_t> count = StringSource::Read(buffer, size);
        return *count > 0 ? count : std::nullopt;
    }
};

TEST(FirmwareScan, ReadErrorBreaksEvenAWholeFile) {
    FailingSource in(File(kGood));
    FirmwareImage image(kBlock, kSector);
    EXPECT_EQ(vardel::ScanFirmware(in, image, vardel::kWholeFile).outcome,
              ScanResult::Outcome::Broken);
}

struct SplitCase {
    std::string text;
    size_t piece; // bytes per read
    bool fails;   // a read error after the text
    std::vector<std::string> expected;
    uint64_t bytes;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.text) << " in pieces of " << c.piece;
}

class LineSplit : public testing::TestWithParam<SplitCase> {};

// Lines of at most 4 characters, as istream::getline into a buffer of 5.
TEST_P(LineSplit, IsGetlineIntoABoundedBuffer) {
    using Outcome = vardel::LineReader::Outcome;
    const SplitCase& c = GetParam();
    std::unique_ptr<vardel::StringSource> source =
        c.fails ? std::make_unique<FailingSource>(c.text, c.piece)
                : std::make_unique<vardel::StringSource>(c.text, c.piece);
    vardel::LineReader reader(*source, 4);
    std::vector<std::string> seen;
    std::string line;
    for (Outcome read = reader.Next(line); read != Outcome::End; read = reader.Next(line)) {
        seen.push_back(read == Outcome::Line      ? line
                       : read == Outcome::TooLong ? "<too long>"
                                                  : "<error>");
        if (read != Outcome::Line) {
            break;
        }
    }
    EXPECT_EQ(seen, c.expected);
    EXPECT_EQ(reader.BytesRead(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineSplit,
    testing::Values(SplitCase{"ab\ncd\n", 64, false, {"ab", "cd"}, 6},
                    SplitCase{"ab\r\ncd", 1, false, {"ab\r", "cd"}, 6},
                    SplitCase{"\n\n", 64, false, {"", ""}, 2}, SplitCase{"", 64, false, {}, 0},
                    SplitCase{"abcd\nx", 1, false, {"abcd", "x"}, 6},
                    SplitCase{"abcd", 3, false, {"abcd"}, 4},
                    SplitCase{"ab\nabcde\n", 2, false, {"ab", "<too long>"}, 3},
                    SplitCase{"abcd\r\n", 64, false, {"<too long>"}, 0},
                    SplitCase{"abcdx\n", 4, false, {"<too long>"}, 0},
                    SplitCase{"ab\ncd", 64, true, {"ab", "<error>"}, 3}));

TEST(FirmwareScan, BudgetReadsOnlyTheStart) {
    const std::string good = Data(0, 4096);
    const std::string text = File(good + "garbage\r\n");
    const Scanned within = Scan(text, good.size());
    EXPECT_EQ(within.result.outcome, ScanResult::Outcome::Valid);
    EXPECT_FALSE(within.result.complete);
    const Scanned whole = Scan(text);
    EXPECT_EQ(whole.result.outcome, ScanResult::Outcome::Broken);
    EXPECT_FALSE(whole.result.complete);
}

TEST(FirmwareScan, StopsWhenAskedTo) {
    vardel::StringSource in(File(Data(0, 32 * 10000)));
    FirmwareImage image(kBlock, kSector);
    int questions = 0;
    const ScanResult result =
        vardel::ScanFirmware(in, image, vardel::kWholeFile, [&] { return ++questions < 2; });
    EXPECT_EQ(result.outcome, ScanResult::Outcome::Stopped);
    EXPECT_EQ(questions, 2);
    EXPECT_LT(image.Bytes(), 32u * 10000);
}

} // namespace
