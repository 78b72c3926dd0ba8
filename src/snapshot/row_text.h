#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// Texts of the identity, clock, uptime and processor rows, formed from what
// the platform queries returned.

extern const char* const kUnknownUser;      // "UNKNOWN USER"
extern const char* const kUnknownComputer;  // "UNKNOWN COMPUTER"
extern const char* const kUnknownCpu;       // "Unknown CPU"

// The user name as returned, or "UNKNOWN USER" when the query failed or the
// size it reported (characters with the NUL) is 1022 or more.
const char* UserNameValue(bool queried, const char* name, uint32_t reportedSize);

// The computer name as returned, or "UNKNOWN COMPUTER" when the query failed
// or the length it reported (without the NUL) is 1022 or more.
const char* ComputerNameValue(bool queried, const char* name, uint32_t reportedLength);

// "%Y %B %d - %H:%M" in the "C" locale, e.g. "2024 March 05 - 14:07".
bool FormatDateTime(const struct tm& localTime, char* out, size_t outSize);

// "3 Days 1 Hour 0 Minutes" from milliseconds since the system started.
void FormatUptime(uint64_t milliseconds, char* out, size_t outSize);

// "<name> [@~<mhz>MHz]". `name` is null when it could not be read
// ("Unknown CPU"); otherwise it is trimmed. `mhz` is 0 when unreadable.
void FormatProcessorValue(const char* name, uint32_t mhz, char* out, size_t outSize);
