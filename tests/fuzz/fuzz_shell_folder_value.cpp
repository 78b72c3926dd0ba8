// Applies any registry answer for a "Shell Folders" value and checks the
// location it leaves.
//
// Input: [flags] [byte count, 4 bytes little-endian] [cut] then the value
// bytes that fill the query buffer. Flags: bit 0 the query succeeded, bit 1
// no buffer, bits 2-3 the type, bit 4 the byte count is taken from the input
// instead of the value's own length.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/trim_whitespace.h"
#include "links/shell_folders.h"

static void Require(bool holds, const char* what)
{
    if (!holds) {
        fprintf(stderr, "violated: %s\n", what);
        abort();
    }
}

static const uint32_t kTypes[4] = {kRegistryStringType, 2 /* expandable */, 0, 7};

static size_t PickCut(uint8_t selector)
{
    switch (selector) {
    case 0:
        return 0;
    case 1:
        return kUserQuickLaunchCut;
    case 2:
        return kMachineQuickLaunchCut;
    case 255:
        return SIZE_MAX;
    default:
        return selector;
    }
}

static bool EndsWith(const std::string& text, const char* suffix)
{
    size_t length = strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const uint8_t flags = data[0];
    const bool queried = (flags & 1) != 0;
    const bool noBuffer = (flags & 2) != 0;
    const uint32_t type = kTypes[(flags >> 2) & 3];
    const size_t cut = PickCut(data[5]);
    const size_t valueLength = size - 6;

    // The query buffer, exactly as large as the program's; what the value
    // does not fill is left over from before.
    std::vector<char> buffer(kShellFolderValueSize, (char)0xA5);
    memcpy(buffer.data(), data + 6,
           valueLength < kShellFolderValueSize ? valueLength : kShellFolderValueSize);
    uint32_t byteCount = (uint32_t)(valueLength < kShellFolderValueSize ? valueLength
                                                                         : kShellFolderValueSize);
    if ((flags & 16) != 0)
        byteCount = (uint32_t)data[1] | (uint32_t)data[2] << 8 | (uint32_t)data[3] << 16 |
                    (uint32_t)data[4] << 24;

    // A location found earlier, with bytes left after its terminator.
    ShellFolderLocation location;
    memset(location.path, 'J', sizeof(location.path));
    memcpy(location.path, "C:\\Earlier", sizeof("C:\\Earlier"));
    location.found = 7;
    ShellFolderLocation before = location;

    ApplyShellFolderValue(queried, type, noBuffer ? nullptr : buffer.data(), byteCount, cut,
                          location);

    // The text the value stands for: the bytes offered, up to a NUL, trimmed.
    std::string text;
    if (queried && !noBuffer) {
        size_t offered = byteCount < kShellFolderValueSize ? byteCount : kShellFolderValueSize;
        std::vector<char> copy(buffer.begin(), buffer.begin() + (ptrdiff_t)offered);
        copy.push_back('\0');
        TrimWhitespace(copy.data());
        text = copy.data();
    }
    const bool expectFound = queried && type == kRegistryStringType && text.size() > 1;

    Require(location.found == 0 || location.found == 1, "found is 0 or 1");
    Require((location.found == 1) == expectFound,
            "found exactly for a queried plain string of two or more characters");
    if (location.found == 0) {
        Require(memcmp(location.path, before.path, sizeof(location.path)) == 0,
                "not found leaves the path as it was");
        return 0;
    }

    const char* end = static_cast<const char*>(memchr(location.path, '\0', kShellFolderPathSize));
    Require(end != nullptr, "the path is NUL-terminated within its buffer");
    const std::string path(location.path);
    Require(path.size() > 1, "a found path has more than one character");
    Require(memchr(path.data(), '\0', path.size()) == nullptr, "one C text");
    if (cut == 0) {
        Require(path == text, "a plain folder is the trimmed value");
        return 0;
    }
    Require(EndsWith(path, kQuickLaunchSuffix), "Quick Launch ends with its suffix");
    std::string folder = text.substr(0, text.size() < cut ? text.size() : cut);
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    Require(path == folder + kQuickLaunchSuffix, "Quick Launch is the cut value and the suffix");
    return 0;
}
