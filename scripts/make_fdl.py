#!/usr/bin/env python3
"""Writes a firmware download file (*.fdl) for the Vardel.dll simulator.

A text header (product, version, date, CPM type, image ranges, CRC-32 of each
image), then Intel HEX records: the CPR image from 0x00000000, the IOP image
from 0x80000000 (where the simulator splits the two flash memories). The data
is pseudo-random from a seed, so a file can be made again byte for byte.

The file is written as it is generated, so any size works in little memory:

    scripts/make_fdl.py big.fdl --size 1G
    scripts/make_fdl.py app.fdl --cpr 96K --iop 32K --version 3.2.1
    scripts/make_fdl.py boot.fdl --cpr 4K --iop 0 --segment --record-bytes 16
"""

import argparse
import random
import re
import sys
import zlib

CPR_BASE = 0x00000000
IOP_BASE = 0x80000000
CHUNK = 0x10000  # one extended address record per 64 KB
PLACEHOLDER = b"0x--------"  # same width as the CRC written over it


def parse_size(text):
    match = re.fullmatch(r"\s*(\d+)\s*([KMG]?)B?\s*", text, re.IGNORECASE)
    if not match:
        raise argparse.ArgumentTypeError(f"not a size: {text!r} (e.g. 300K, 4M, 1G)")
    return int(match.group(1)) * 1024 ** " KMG".index(match.group(2).upper() or " ")


def record(kind, address, data=b""):
    body = bytes([len(data), (address >> 8) & 0xFF, address & 0xFF, kind]) + data
    checksum = -sum(body) & 0xFF
    return b":" + body.hex().upper().encode() + b"%02X\r\n" % checksum


def record_count(size, record_bytes):
    """Data records plus address records of an image of `size` bytes."""
    if size == 0:
        return 0
    data = sum(-(-min(CHUNK, size - start) // record_bytes) for start in range(0, size, CHUNK))
    return data + (-(-size // CHUNK))


def file_size_of(data_bytes, record_bytes):
    """Roughly the bytes of the records that carry `data_bytes`."""
    per_record = 13 + 2 * record_bytes
    return data_bytes // record_bytes * per_record + data_bytes // CHUNK * 17


def split_size(args):
    """CPR and IOP bytes: given, or from the file size wanted."""
    if args.size is None:
        return args.cpr, args.iop
    data = args.size * args.record_bytes // (13 + 2 * args.record_bytes)
    while data > 0 and file_size_of(data, args.record_bytes) + 1200 > args.size:
        data -= data // 100 + 1
    iop = int(data * args.iop_share)
    return data - iop, iop


class Writer:
    def __init__(self, out):
        self.out = out
        self.records = 0

    def image(self, base, size, rng, record_bytes, segment, bad_checksum_at):
        crc = 0
        for start in range(0, size, CHUNK):
            address = base + start
            if segment:
                self.out.write(record(0x02, 0, (address >> 4).to_bytes(2, "big")))
            else:
                self.out.write(record(0x04, 0, (address >> 16).to_bytes(2, "big")))
            self.records += 1
            chunk = rng.randbytes(min(CHUNK, size - start))
            crc = zlib.crc32(chunk, crc)
            lines = []
            for offset in range(0, len(chunk), record_bytes):
                line = record(0x00, (address + offset) & 0xFFFF if not segment else offset,
                              chunk[offset:offset + record_bytes])
                self.records += 1
                if self.records == bad_checksum_at:
                    line = line[:-4] + b"%02X\r\n" % (int(line[-4:-2], 16) ^ 0x5A)
                lines.append(line)
            self.out.write(b"".join(lines))
        return crc


def header(args, cpr, iop, records):
    def span(base, size):
        return f"0x{base:08X}..0x{base + size - 1:08X}, {size} bytes" if size else "none"

    return [
        "; Firmware download file",
        f"Product       : {args.product}",
        f"CPM type      : {args.cpm_type}",
        f"Version       : {args.version}",
        f"Build date    : {args.date}",
        "Generator     : make_fdl.py (test data, not a real firmware)",
        "Line          : 9600 baud, 8 data bits, odd parity, 1 stop bit",
        f"CPR image     : {span(CPR_BASE, cpr)}",
        f"IOP image     : {span(IOP_BASE, iop)}",
        f"CPR CRC-32    : {PLACEHOLDER.decode()}",
        f"IOP CRC-32    : {PLACEHOLDER.decode()}",
        f"Records       : {records}",
        f"Seed          : {args.seed}",
        "Format        : Intel HEX, extended "
        + ("segment" if args.segment else "linear") + " addresses",
        "",
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--size", type=parse_size, help="file size wanted, e.g. 300K or 1G")
    parser.add_argument("--cpr", type=parse_size, default=96 * 1024, help="CPR image bytes")
    parser.add_argument("--iop", type=parse_size, default=32 * 1024, help="IOP image bytes")
    parser.add_argument("--iop-share", type=float, default=0.25,
                        help="share of the IOP image with --size")
    parser.add_argument("--record-bytes", type=int, default=32, choices=range(1, 256),
                        metavar="1..255")
    parser.add_argument("--segment", action="store_true",
                        help="extended segment addresses (CPR image up to 1 MB, no IOP)")
    parser.add_argument("--bad-checksum", type=int, default=0, metavar="N",
                        help="spoil the checksum of record N, for error tests")
    parser.add_argument("--product", default="TC 4000 controller, CPU module firmware")
    parser.add_argument("--cpm-type", default="CPM 4012")
    parser.add_argument("--version", default="3.2.1")
    parser.add_argument("--date", default="2024-03-18")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    cpr, iop = split_size(args)
    if args.segment and (iop or cpr > 0x100000):
        parser.error("segment addresses reach 1 MB of CPR and no IOP")
    if cpr + iop == 0:
        parser.error("no data")
    records = (record_count(cpr, args.record_bytes)
               + record_count(iop, args.record_bytes) + 1)
    head = "\r\n".join(header(args, cpr, iop, records)).encode() + b"\r\n"

    rng = random.Random(args.seed)
    with open(args.output, "wb") as out:
        out.write(head)
        writer = Writer(out)
        crcs = [writer.image(CPR_BASE, cpr, rng, args.record_bytes, args.segment,
                             args.bad_checksum),
                writer.image(IOP_BASE, iop, rng, args.record_bytes, args.segment,
                             args.bad_checksum)]
        out.write(record(0x01, 0))
        # The CRCs are known only now: fill in the header's placeholders.
        position = 0
        for crc in crcs:
            position = head.index(PLACEHOLDER, position)
            out.seek(position)
            out.write(b"0x%08X" % crc)
            position += len(PLACEHOLDER)
    return 0


if __name__ == "__main__":
    sys.exit(main())
