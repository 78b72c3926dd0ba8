#include "options/donation.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

const char kAddress[] =
    "https://payments.example.org/cgi-bin/webscr?cmd=_xclick&business=donate@example.com"
    "&no_note=1&currency_code=GBP&tax=0&bn=PP-DonationsBF";

std::string Digest(const std::string& bytes)
{
    char digest[kDigestTextSize];
    DigestBytes(bytes.data(), bytes.size(), digest);
    return digest;
}

TEST(Digest, MatchesTheStandardVectorsAcrossBlockBoundaries)
{
    // Lengths 55 to 65 and 119 to 120 cover one or two padding blocks.
    const struct {
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(65, 'a'), "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Digest(c.bytes), c.digest) << "length " << c.bytes.size();

    std::string everyByte;
    for (int i = 0; i < 256; ++i)
        everyByte += (char)i;
    EXPECT_EQ(Digest(everyByte), "40aff2e9d2d8922e47afd4648e6967497158785fbd1da870e7110266bf944880")
        << "high bytes and NUL are hashed as bytes";
}

TEST(DonationAddress, IsTheCheckoutAddressAndPassesItsBuiltInCheck)
{
    EXPECT_STREQ(kDonationAddress, kAddress);
    EXPECT_TRUE(DonationAddressIsIntact(kDonationAddress, kExpectedDonationDigest));
    EXPECT_EQ(std::string(kExpectedDonationDigest),
              "bec930a16306989fade13a868551d4d85892cf88885ba123debe676a94c7a83b");
}

TEST(DonationAddress, AnyAlterationFailsTheCheck)
{
    std::string address = kAddress;
    const struct {
        const char* what;
        std::string address;
    } altered[] = {
        {"another e-mail", "https://payments.example.org/cgi-bin/webscr?cmd=_xclick&business="
                           "thief@example.net&no_note=1&currency_code=GBP&tax=0&bn=PP-DonationsBF"},
        {"last character", address.substr(0, address.size() - 1) + "G"},
        {"first character", "H" + address.substr(1)},
        {"cut short", address.substr(0, address.size() - 1)},
        {"one more character", address + "&"},
        {"trailing blank", address + " "},
        {"empty", ""},
    };
    for (const auto& c : altered)
        EXPECT_FALSE(DonationAddressIsIntact(c.address.c_str(), kExpectedDonationDigest))
            << c.what;
}

TEST(DonationAddress, AMalformedOrMissingDigestFailsTheCheck)
{
    std::string digest = kExpectedDonationDigest;
    std::string upper = digest;
    for (char& c : upper)
        c = (char)toupper((unsigned char)c);
    EXPECT_FALSE(DonationAddressIsIntact(kAddress, upper.c_str()));
    EXPECT_FALSE(DonationAddressIsIntact(kAddress, digest.substr(0, 63).c_str()));
    EXPECT_FALSE(DonationAddressIsIntact(kAddress, (digest + "0").c_str()));
    EXPECT_FALSE(DonationAddressIsIntact(kAddress, ""));
    EXPECT_FALSE(DonationAddressIsIntact(kAddress, nullptr));
    EXPECT_FALSE(DonationAddressIsIntact(nullptr, kExpectedDonationDigest));
}

}  // namespace
