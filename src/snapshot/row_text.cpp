#include "snapshot/row_text.h"

#include <cstdio>

#include "common/trim_whitespace.h"

const char* const kUnknownUser = "UNKNOWN USER";
const char* const kUnknownComputer = "UNKNOWN COMPUTER";
const char* const kUnknownCpu = "Unknown CPU";

// Names are queried into 1024 characters; a reported size this close to the
// end means the name may have been cut.
static const uint32_t kNameLimit = 1022;

// Room for a processor name as the registry returns it.
static const size_t kProcessorNameSize = 1024;

const char* UserNameValue(bool queried, const char* name, uint32_t reportedSize)
{
    if (!queried || name == nullptr || reportedSize >= kNameLimit) {
        return kUnknownUser;
    }
    return name;
}

const char* ComputerNameValue(bool queried, const char* name, uint32_t reportedLength)
{
    if (!queried || name == nullptr || reportedLength >= kNameLimit) {
        return kUnknownComputer;
    }
    return name;
}

bool FormatDateTime(const struct tm& localTime, char* out, size_t outSize)
{
    if (out == nullptr || outSize == 0) {
        return false;
    }
    // Never setlocale: the "C" locale gives the English month names.
    if (std::strftime(out, outSize, "%Y %B %d - %H:%M", &localTime) == 0) {
        // strftime leaves the buffer undefined when the text did not fit.
        out[0] = '\0';
        return false;
    }
    return true;
}

static const char* Unit(unsigned long long count, const char* singular, const char* plural)
{
    return count == 1 ? singular : plural;
}

void FormatUptime(uint64_t milliseconds, char* out, size_t outSize)
{
    // A 64-bit count, so the uptime does not start again after 49.7 days.
    const unsigned long long days = milliseconds / 86400000u;
    const unsigned long long hours = (milliseconds % 86400000u) / 3600000u;
    const unsigned long long minutes = (milliseconds % 3600000u) / 60000u;
    std::snprintf(out, outSize, "%llu %s %llu %s %llu %s",
                  days, Unit(days, "Day", "Days"),
                  hours, Unit(hours, "Hour", "Hours"),
                  minutes, Unit(minutes, "Minute", "Minutes"));
}

void FormatProcessorValue(const char* name, uint32_t mhz, char* out, size_t outSize)
{
    char trimmed[kProcessorNameSize];
    if (name == nullptr) {
        std::snprintf(trimmed, sizeof(trimmed), "%s", kUnknownCpu);
    } else {
        // Read no further than the buffer holds, terminated or not.
        size_t length = 0;
        while (length < sizeof(trimmed) - 1 && name[length] != '\0') {
            trimmed[length] = name[length];
            ++length;
        }
        trimmed[length] = '\0';
        TrimWhitespace(trimmed);
    }
    std::snprintf(out, outSize, "%s [@~%luMHz]", trimmed, static_cast<unsigned long>(mhz));
}
