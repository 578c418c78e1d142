#pragma once

namespace run {

inline const int kPhaseCount = 12;
inline const int kNoPhase = -1; // matches no row: the phase text stays
inline const int kPhaseSuccessful = 7;
inline const int kPhasePreparing = 9;
inline const int kPhaseCancelled = 10;
inline const int kPhaseError = 11;
inline const int kPhaseProgrammingCpr = 5; // the estimate starts here

// The words for a phase the library reports; nullptr for a phase outside the table.
const char* PhaseText(int phase);

} // namespace run
