#pragma once

#include <cstdint>
#include <set>

namespace vardel {

// What the download of one flash memory has to do: the data bytes, the
// programming telegrams they need and the flash sectors to erase and verify.
struct RegionTally {
    uint64_t bytes = 0;
    uint64_t telegrams = 0;
    std::set<uint32_t> sectors;
};

// The image of a firmware file, split between the two flash memories by
// address: the CPR's flash below kIopBase, the IOP's from there on. Only the
// tallies are kept, never the data, so any file size fits in memory.
class FirmwareImage {
public:
    static constexpr uint32_t kIopBase = 0x80000000u;

    // A telegram carries at most blockBytes of one contiguous run of data.
    FirmwareImage(uint32_t blockBytes, uint32_t sectorBytes);

    void Add(uint32_t address, uint32_t count);
    // Closes the runs still open; call once all data is added.
    void Finish();

    const RegionTally& Cpr() const { return m_cpr.tally; }
    const RegionTally& Iop() const { return m_iop.tally; }
    uint64_t Bytes() const { return Cpr().bytes + Iop().bytes; }

private:
    struct Region {
        RegionTally tally;
        uint64_t runStart = 0;
        uint64_t runLength = 0;
    };
    void AddToRegion(Region& region, uint32_t address, uint32_t count);
    void CloseRun(Region& region);

    uint32_t m_blockBytes;
    uint32_t m_sectorBytes;
    Region m_cpr;
    Region m_iop;
};

} // namespace vardel
