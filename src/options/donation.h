#pragma once

#include <cstddef>

// The payment service's checkout address for donations, and the SHA-256
// digest of it that the build computed (64 lower-case hexadecimal digits).
// Both come from cmake/donation_digest.cmake.
extern const char kDonationAddress[];
extern const char kExpectedDonationDigest[];

extern const char kDonationEmail[];  // "donate@example.com"

// Room for a digest as text: 64 hexadecimal digits and the terminator.
const size_t kDigestTextSize = 65;

// SHA-256 of `size` bytes as 64 lower-case hexadecimal digits.
void DigestBytes(const void* bytes, size_t size, char* digest);

// True only when the SHA-256 digest of the address text (without its
// terminator) equals the expected digest exactly.
bool DonationAddressIsIntact(const char* address, const char* expectedDigest);

// The box shown when the check passes, naming the address and the program
// caption. The text is cut to the buffer.
void ComposeDonationConfirmation(const char* address, const char* caption, char* text,
                                 size_t textSize);

// The box shown when the check fails. The text is cut to the buffer.
void ComposeDonationWarning(char* text, size_t textSize);
