#pragma once

#include "sim/init_request.h"
#include <cstdint>

#include <string>
#include <vector>

// An InitDownload as the program sends it for CPM 1 on COM1 with the default
// line settings, which the simulator's default configuration accepts.
inline vardel::InitRequest DefaultRequest(const std::string& path = "C:\\fw\\main.fdl") {
    vardel::InitRequest r;
    r.path = path;
    r.initText = "0xFD Adr 0x08 0x00 0x01 0xFF LRC";
    r.port = 1;
    r.targetAndAddress = 1;
    r.baudRate = 9600;
    r.dataBits = 8;
    r.stopBits = 1;
    r.parity = 1;
    r.retry = 4;
    return r;
}

// The phases of a sequence of statuses, each once in the order first seen.
template <typename Status> std::vector<int32_t> PhasesOf(const std::vector<Status>& statuses) {
    std::vector<int32_t> phases;
    for (const Status& s : statuses) {
        if (phases.empty() || phases.back() != s.phase) {
            phases.push_back(s.phase);
        }
    }
    return phases;
}
