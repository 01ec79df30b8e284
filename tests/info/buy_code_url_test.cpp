// Which shop page a model leads to, and when the offer shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "info/buy_code_url.h"

namespace {

constexpr int kNoPage = 0;

// 0 for no page, else the product number in the address (which must be well formed).
int PageProduct(const std::string& model, const std::string& versions) {
    char output[kPageAddressSize] = {};
    const int result = BuildBuyCodeUrl(model.c_str(), versions.c_str(), output, sizeof output);
    if (result == 1) {
        EXPECT_EQ(output[0], '\0') << model;
        return kNoPage;
    }
    EXPECT_EQ(result, 0) << model;
    const std::string address(output);
    const std::string base(ShopBaseUrl);
    EXPECT_EQ(address.compare(0, base.size(), base), 0) << address;
    const std::string number = address.substr(base.size());
    // Decimal, no sign, no separator, no leading zero.
    EXPECT_FALSE(number.empty()) << address;
    EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << address;
    EXPECT_NE(number[0], '0') << address;
    return std::stoi(number);
}

TEST(BuyCodeUrl, EdgeCasesOfTheRule) {
    struct Case {
        const char* model;
        const char* versions;
        int product;
    };
    const Case cases[] = {
        // The digit rule: E155 is not an E1550, E353 not an E3531.
        {"E1550", "", ProductNumber1},
        {"E3531s-1", "", ProductNumber2},
        {"E173u-1", "", ProductNumber1},
        {"E1501", "", kNoPage},
        {"E3537", "", kNoPage},
        // Only the first occurrence is examined: here it is followed by a digit.
        {"E3531 E353", "", ProductNumber2},
        {"E1551 E155", "", kNoPage},
        // The end of the text counts as not a digit; any other byte after the name does.
        {"E155", "", ProductNumber1},
        {"xE155-", "", ProductNumber1},
        {"E155\xC0", "", ProductNumber1},
        // E3372: the hardware marker decides, case-sensitively and anywhere in the versions.
        {"E3372h-153", "22.200.15.00.00,CL2E3372HM Ver.A", ProductNumber3},
        {"E3372h-153", "E3372H", ProductNumber3},
        {"E3372h-153", "22.200.15.00.00,CL2E3372hM", ProductNumber2},
        {"E3372h-153", "", ProductNumber2},
        {"E3372s", "E3372", ProductNumber2},
        // E3272: only this exact firmware text (whole compare) gives product 1.
        {"E3272", "21.436.03.00.00", ProductNumber1},
        {"E3272s-153", "21.436.03.00.00", ProductNumber1},
        {"E3272", "21.436.03.00.00,CH2E3272M", ProductNumber2},
        {"E3272", " 21.436.03.00.00", ProductNumber2},
        {"E3272", "21.436.03.00.0", ProductNumber2},
        {"E3272", "", ProductNumber2},
        // The special models are decided before the groups.
        {"E173 E3272", "", ProductNumber2},
        {"E173 E3372", "E3372H", ProductNumber3},
        {"E3272 E3372", "E3372H", ProductNumber2},
        // Names are compared case-sensitively; empty and unknown models have no page.
        {"e1550", "", kNoPage},
        {"e3372h", "E3372H", kNoPage},
        {"", "", kNoPage},
        {"E", "", kNoPage},
        {"MR100", "", kNoPage},
        {"Модем", "", kNoPage},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PageProduct(c.model, c.versions), c.product)
            << "model '" << c.model << "' versions '" << c.versions << "'";
    }
}

// Each group: every name is a real, distinct text, and each name as a model text on its own
// (and with a non-digit after it) leads to its group's product.
void CheckGroup(const char* const* names, int count, int product) {
    std::set<std::string> seen;
    for (int i = 0; i < count; ++i) {
        ASSERT_NE(names[i], nullptr) << "entry " << i;
        ASSERT_NE(names[i][0], '\0') << "entry " << i;
        EXPECT_TRUE(seen.insert(names[i]).second) << names[i] << " is listed twice";
        EXPECT_EQ(PageProduct(names[i], ""), product) << names[i];
        EXPECT_EQ(PageProduct(std::string("Zentrawave ") + names[i] + "-1", ""), product) << names[i];
    }
}

// The published model lists, pinned apart from the code's own copy so that a misspelt, missing,
// extra or moved name fails: the count, FNV-1a (64 bits) of the names joined by line feeds in
// list order, and FNV-1a (32 bits) of each name, which tells the first entry that differs.
// All were computed once from the published lists and checked against them by hand.
struct PublishedGroup {
    int count;
    uint64_t joinedDigest;
    std::vector<uint32_t> nameDigests;
};

const PublishedGroup kPublishedGroup1 = {
    76, 0x996ed9a15920633eull,
    {0xbbb0f656, 0x5b9fe1df, 0xc0b0fe35, 0xbdb0f97c, 0xd89857e1, 0xd5aee0ad, 0x4c4c105e, 0xd4aedf1a,
     0xcfaed73b, 0xccaed282, 0xfc35cc1f, 0x4fabcf24, 0x51abd24a, 0x4dabcbfe, 0xb9bdbf23, 0x97b878e4,
     0x4dbad688, 0xba3c5a0e, 0x2a34bb99, 0x2934ba06, 0x2834b873, 0xff41a77e, 0x6ccc8421, 0x62cc7463,
     0xd8c4df60, 0xdec72769, 0xf582cce6, 0x70cec904, 0xda86d79f, 0x41f8d2e8, 0x4c0a2bc7, 0xb1e46880,
     0xf1bda8c4, 0x10904639, 0x7f2ad2ab, 0x1c6a0984, 0x8ff85c9b, 0xc72bcebc, 0x52245ac8, 0xc72e0d53,
     0x00c0260e, 0xbea1f085, 0x50abd0b7, 0x87cd75b9, 0x137ea13d, 0x52abd3dd, 0x77b18abf, 0x251550d8,
     0x84aa35a9, 0x69032a4d, 0xcd060650, 0xab6ef857, 0x98beb4fc, 0x44874ee8, 0x7a624708, 0x52f34a25,
     0xb08bb833, 0x9c1cc7f2, 0x9d1cc985, 0x971cc013, 0x991cc339, 0x2e24698d, 0x2d2467fa, 0x292461ae,
     0x242459cf, 0x2324583c, 0x24221b38, 0x13ff6fc6, 0x18ff77a5, 0x19ff7938, 0xf3304b79, 0x11f19b81,
     0xb9edc420, 0x102b3761, 0xfc3059a4, 0xedd7a609}};

const PublishedGroup kPublishedGroup2 = {
    13, 0x3663a03a2ce37301ull,
    {0x8062507a, 0x7086d645, 0x412980f1, 0xd3cefbf1, 0x8e894416, 0x9e2f4189, 0x0851865c, 0x88680579,
     0x3233440c, 0xb733350f, 0x9b796c83, 0x88e03a62, 0x7e7e9d8a}};

uint64_t Fnv1a64(const std::string& text) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (unsigned char c : text) hash = (hash ^ c) * 0x100000001b3ull;
    return hash;
}

uint32_t Fnv1a32(const std::string& text) {
    uint32_t hash = 0x811c9dc5u;
    for (unsigned char c : text) hash = (hash ^ c) * 0x01000193u;
    return hash;
}

void ExpectPublished(const char* const* names, int count, const PublishedGroup& published) {
    ASSERT_EQ(static_cast<size_t>(published.count), published.nameDigests.size());
    EXPECT_EQ(count, published.count) << "the group has " << count << " names, the published list "
                                      << published.count;
    std::string joined;
    for (int i = 0; i < count; ++i) joined += (i > 0 ? "\n" : "") + std::string(names[i]);
    if (Fnv1a64(joined) == published.joinedDigest) return;
    const int common = std::min(count, published.count);
    for (int i = 0; i < common; ++i) {
        if (Fnv1a32(names[i]) != published.nameDigests[i]) {
            ADD_FAILURE() << "entry " << i + 1 << " of " << count << " is '" << names[i]
                          << "', not the published name at that place"
                          << (i > 0 ? std::string(" (after '") + names[i - 1] + "')" : "");
            return;
        }
    }
    ADD_FAILURE() << "the names differ from the published list after entry " << common
                  << " (a name missing or added at the end)";
}

TEST(BuyCodeUrl, Group1IsThePublishedList) {
    ExpectPublished(ModelGroup1, kModelGroup1Size, kPublishedGroup1);
}

TEST(BuyCodeUrl, Group2IsThePublishedList) {
    ExpectPublished(ModelGroup2, kModelGroup2Size, kPublishedGroup2);
}

TEST(BuyCodeUrl, EveryNameOfGroup1LeadsToProduct1) {
    CheckGroup(ModelGroup1, kModelGroup1Size, ProductNumber1);
}

TEST(BuyCodeUrl, EveryNameOfGroup2LeadsToProduct2) {
    CheckGroup(ModelGroup2, kModelGroup2Size, ProductNumber2);
}

TEST(BuyCodeUrl, NoNameMatchesInLowerCase) {
    for (const auto& group : {std::make_pair(ModelGroup1, kModelGroup1Size),
                              std::make_pair(ModelGroup2, kModelGroup2Size)}) {
        for (int i = 0; i < group.second; ++i) {
            std::string lower = group.first[i];
            for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (lower == group.first[i]) continue;   // no letters to fold ("320s")
            EXPECT_EQ(PageProduct(lower, ""), kNoPage) << lower;
        }
    }
}

TEST(BuyCodeUrl, AddressIsTheBaseFollowedByTheNumber) {
    const std::string base(ShopBaseUrl);
    const std::string path = "/asp/pay.asp?id_d=";
    ASSERT_GT(base.size(), path.size());
    EXPECT_EQ(base.substr(base.size() - path.size()), path);
    EXPECT_TRUE(base.rfind("https://", 0) == 0 || base.rfind("http://", 0) == 0) << base;

    char output[kPageAddressSize];
    std::memset(output, 0, sizeof output);
    EXPECT_EQ(BuildBuyCodeUrl("E173", "", output, sizeof output), 0);
    EXPECT_EQ(std::string(output), base + std::to_string(ProductNumber1));
}

TEST(BuyCodeUrl, NoPageLeavesTheOutputAsItWas) {
    char output[kPageAddressSize];
    std::memset(output, 'x', sizeof output);
    EXPECT_EQ(BuildBuyCodeUrl("E1501", "", output, sizeof output), 1);
    for (char c : output) ASSERT_EQ(c, 'x');
    EXPECT_EQ(BuildBuyCodeUrl(nullptr, nullptr, output, sizeof output), 1);
    for (char c : output) ASSERT_EQ(c, 'x');
}

TEST(BuyCodeUrl, SmallOutputIsCutAndTerminated) {
    const std::string whole = std::string(ShopBaseUrl) + std::to_string(ProductNumber1);
    for (size_t size : {size_t{1}, size_t{2}, size_t{10}, whole.size(), whole.size() + 1}) {
        char output[kPageAddressSize + 8];
        std::memset(output, 'x', sizeof output);
        EXPECT_EQ(BuildBuyCodeUrl("E173", "", output, size), 0) << size;
        EXPECT_EQ(std::string(output), whole.substr(0, size - 1)) << size;
        EXPECT_EQ(output[size], 'x') << "written past the size " << size;
    }
    char untouched = 'x';
    EXPECT_EQ(BuildBuyCodeUrl("E173", "", &untouched, 0), 0);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(BuildBuyCodeUrl("E173", "", nullptr, 0), 0);
}

TEST(BuyCodeUrl, LongestListTextsAreReadWhole) {
    const size_t longest = kPageAddressSize - 1;
    const std::string filler(longest, 'x');
    struct Case {
        std::string model;
        std::string versions;
        int product;
    };
    const Case cases[] = {
        {filler.substr(4) + "E173", "", ProductNumber1},        // name at the very end
        {filler.substr(5) + "E1730", "", kNoPage},              // a digit at the very end
        {"E3372" + filler.substr(5), filler.substr(6) + "E3372H", ProductNumber3},
        {"E3272" + filler.substr(5), filler, ProductNumber2},
        {filler, filler, kNoPage},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.model.size(), longest);
        EXPECT_EQ(PageProduct(c.model, c.versions), c.product) << c.model;
    }
}

TEST(BuyCodeDate, OpensInAugust2014Utc) {
    struct Case {
        int year;
        int month;
        bool open;
    };
    const Case cases[] = {
        {2014, 7, false}, {2014, 8, true},  {2014, 12, true}, {2014, 1, false},
        {2013, 12, false}, {2015, 1, true}, {2030, 6, true},  {1601, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuyCodeDateOpen(c.year, c.month), c.open) << c.year << "-" << c.month;
    }
}

// The offer combines the model rule with the date gate: a listed model on a closed date, an
// unlisted one on an open date and a failed clock ({0, 0, 0}) all leave the empty text.
TEST(OfferedBuyCodePage, NeedsAListedModelAndAnOpenDate) {
    const std::string page = std::string(ShopBaseUrl) + std::to_string(ProductNumber3);
    struct Case {
        const char* model;
        UtcDate today;
        const char* want;
    };
    const Case cases[] = {
        {"E3372h-153", {2014, 8, 1}, page.c_str()},
        {"E3372h-153", {2014, 7, 31}, ""},
        {"E3372h-153", {0, 0, 0}, ""},
        {"E1501", {2026, 12, 7}, ""},
        {nullptr, {2026, 12, 7}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model != nullptr ? c.model : "(null)");
        char output[kPageAddressSize];
        std::memset(output, 'x', sizeof output);
        EXPECT_EQ(OfferedBuyCodePage(c.model, "21.200.07.00.00 E3372H", c.today, output,
                                     sizeof output),
                  c.want[0] != '\0');
        EXPECT_STREQ(output, c.want);
    }
    EXPECT_FALSE(OfferedBuyCodePage("E173", "", {2014, 7, 1}, nullptr, 0));
}

}  // namespace
