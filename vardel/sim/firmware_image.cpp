#include "sim/firmware_image.h"

namespace vardel {

FirmwareImage::FirmwareImage(uint32_t blockBytes, uint32_t sectorBytes)
    : m_blockBytes(blockBytes), m_sectorBytes(sectorBytes) {}

void FirmwareImage::Add(uint32_t address, uint32_t count) {
    if (count == 0) {
        return;
    }
    if (address < kIopBase && uint64_t{address} + count > kIopBase) {
        const uint32_t below = kIopBase - address;
        AddToRegion(m_cpr, address, below);
        AddToRegion(m_iop, kIopBase, count - below);
        return;
    }
    AddToRegion(address < kIopBase ? m_cpr : m_iop, address, count);
}

void FirmwareImage::AddToRegion(Region& region, uint32_t address, uint32_t count) {
    if (region.runLength == 0 || address != region.runStart + region.runLength) {
        CloseRun(region);
        region.runStart = address;
    }
    region.runLength += count;
    region.tally.bytes += count;
    const uint32_t last = static_cast<uint32_t>((uint64_t{address} + count - 1) / m_sectorBytes);
    for (uint32_t sector = address / m_sectorBytes; sector <= last; ++sector) {
        // Records come in address order as a rule: most fall in the sector
        // of the one before.
        if (region.tally.sectors.empty() || *region.tally.sectors.rbegin() != sector) {
            region.tally.sectors.insert(sector);
        }
    }
}

void FirmwareImage::CloseRun(Region& region) {
    region.tally.telegrams += (region.runLength + m_blockBytes - 1) / m_blockBytes;
    region.runLength = 0;
}

void FirmwareImage::Finish() {
    CloseRun(m_cpr);
    CloseRun(m_iop);
}

} // namespace vardel
