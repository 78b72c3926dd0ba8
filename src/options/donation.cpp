#include "options/donation.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "donation_address.h"  // generated: TALLYVIEW_DONATION_ADDRESS and _DIGEST
#include "options/referrer_page.h"

// The address lives in its own array, and the check hashes these very bytes
// when it runs: a patched address in the program file no longer matches the
// digest the build wrote down.
const char kDonationAddress[] = TALLYVIEW_DONATION_ADDRESS;
const char kExpectedDonationDigest[] = TALLYVIEW_DONATION_DIGEST;
const char kDonationEmail[] = "donate@example.com";

namespace {

const uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

uint32_t RotateRight(uint32_t value, int count)
{
    return (value >> count) | (value << (32 - count));
}

void CompressBlock(uint32_t state[8], const unsigned char* block)
{
    uint32_t schedule[64];
    for (int i = 0; i < 16; ++i)
        schedule[i] = (uint32_t)block[4 * i] << 24 | (uint32_t)block[4 * i + 1] << 16 |
                      (uint32_t)block[4 * i + 2] << 8 | (uint32_t)block[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
        uint32_t s0 = RotateRight(schedule[i - 15], 7) ^ RotateRight(schedule[i - 15], 18) ^
                      (schedule[i - 15] >> 3);
        uint32_t s1 = RotateRight(schedule[i - 2], 17) ^ RotateRight(schedule[i - 2], 19) ^
                      (schedule[i - 2] >> 10);
        schedule[i] = schedule[i - 16] + s0 + schedule[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
        uint32_t sum1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
        uint32_t choice = (e & f) ^ (~e & g);
        uint32_t first = h + sum1 + choice + kRoundConstants[i] + schedule[i];
        uint32_t sum0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
        uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        uint32_t second = sum0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + first;
        d = c;
        c = b;
        b = a;
        a = first + second;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
}

}  // namespace

void DigestBytes(const void* bytes, size_t size, char* digest)
{
    uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    size_t offset = 0;
    for (; size - offset >= 64; offset += 64)
        CompressBlock(state, data + offset);

    // The rest, the 0x80 marker, zeros and the length in bits fill one or two
    // last blocks.
    unsigned char tail[128] = {0};
    size_t rest = size - offset;
    if (rest > 0)
        memcpy(tail, data + offset, rest);
    tail[rest] = 0x80;
    size_t tailSize = rest + 1 + 8 <= 64 ? 64 : 128;
    uint64_t bitLength = (uint64_t)size * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 1 - i] = (unsigned char)(bitLength >> (8 * i));
    for (size_t block = 0; block < tailSize; block += 64)
        CompressBlock(state, tail + block);

    static const char kHexDigits[] = "0123456789abcdef";
    for (int word = 0; word < 8; ++word)
        for (int nibble = 0; nibble < 8; ++nibble)
            digest[word * 8 + nibble] = kHexDigits[(state[word] >> (28 - 4 * nibble)) & 0xf];
    digest[64] = '\0';
}

bool DonationAddressIsIntact(const char* address, const char* expectedDigest)
{
    if (address == nullptr || expectedDigest == nullptr)
        return false;
    char digest[kDigestTextSize];
    DigestBytes(address, strlen(address), digest);
    return strcmp(digest, expectedDigest) == 0;
}

void ComposeDonationConfirmation(const char* address, const char* caption, char* text,
                                 size_t textSize)
{
    if (textSize == 0)
        return;
    snprintf(text, textSize,
             "The donation URL...\n\n'%s'\n\n... for this software...\n\n'%s'\n\n...has been "
             "*checked* for correctness (It is possible that the URL has been altered by a "
             "third party; always check a important URL begins with a known domain).\n\nFor "
             "better security, please use the donate button that can be found on %s internet "
             "pages.",
             address != nullptr ? address : "", caption != nullptr ? caption : "",
             kMakerSiteAddress);
}

void ComposeDonationWarning(char* text, size_t textSize)
{
    if (textSize == 0)
        return;
    snprintf(text, textSize,
             "WARNING: The URL for internet donations to %s appears to have been hacked (or is "
             "incorrect or corrupted in some way). You should download the latest version of "
             "this software immediately _direct_ from %s, and stop using this hacked/corrupted "
             "software. Also, if you have time, please email the %s to inform where you "
             "originally obtained this software from.",
             kMakerSiteAddress, kMakerSiteAddress, kDonationEmail);
}
