#include <gtest/gtest.h>

#include "automation/com_abi.h"
#include "automation/identities.h"

namespace tarvenish {
namespace {

TEST(GuidText, WritesTheRegistryFormOfEveryIdentity) {
    EXPECT_EQ(kTypeLibraryId.format(), "{07690D9E-D002-4645-8904-E32B8DE7C95B}");
    EXPECT_EQ(kClsidJustAccount.format(), "{717201C8-1C85-4324-ACDD-25C0975F6A5E}");
    EXPECT_EQ(kIidJustAccount.format(), "{94C3B60E-3CF8-49F1-88A0-4DD85EF076C0}");
    EXPECT_EQ(kIidDispatch.format(), "{00020400-0000-0000-C000-000000000046}");
}

TEST(GuidText, ReadsWithOrWithoutBracesInAnyCase) {
    EXPECT_EQ(Guid::parse("{717201c8-1c85-4324-acdd-25c0975f6a5e}"), kClsidJustAccount);
    EXPECT_EQ(Guid::parse("717201C8-1C85-4324-ACDD-25C0975F6A5E"), kClsidJustAccount);
}

TEST(GuidText, RefusesMalformedTexts) {
    EXPECT_FALSE(Guid::parse(""));
    EXPECT_FALSE(Guid::parse("{717201C8-1C85-4324-ACDD-25C0975F6A5E"));
    EXPECT_FALSE(Guid::parse("717201C8-1C85-4324-ACDD25C0975F6A5E0"));
    EXPECT_FALSE(Guid::parse("717201C8-1C85-4324-ACDD-25C0975F6A5G"));
    EXPECT_FALSE(Guid::parse("{717201C8+1C85-4324-ACDD-25C0975F6A5E}"));
}

TEST(GuidAbi, RoundTripsThroughTheCStruct) {
    const TvGuid raw = kIidJustAccount.toAbi();
    EXPECT_EQ(raw.data1, 0x94C3B60Eu);
    EXPECT_EQ(raw.data4[7], 0xC0);
    EXPECT_EQ(Guid::fromAbi(raw), kIidJustAccount);
}

}  // namespace
}  // namespace tarvenish
