// Which shop page a model leads to, and when the offer shows.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>

#include "ui/buy_code_url.h"

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
        EXPECT_EQ(PageProduct(std::string("Huawei ") + names[i] + "-1", ""), product) << names[i];
    }
}

TEST(BuyCodeUrl, EveryNameOfGroup1LeadsToProduct1) {
    EXPECT_EQ(kModelGroup1Size, 76);
    CheckGroup(ModelGroup1, kModelGroup1Size, ProductNumber1);
}

TEST(BuyCodeUrl, EveryNameOfGroup2LeadsToProduct2) {
    EXPECT_EQ(kModelGroup2Size, 13);
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
    for (int number : {ProductNumber1, ProductNumber2, ProductNumber3}) EXPECT_GT(number, 0);
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

TEST(BuyCodeClick, OnlyTheButtonPartOfTheLockStatusValueCell) {
    struct Case {
        int position;
        int column;
        int x;
        bool onButton;
    };
    const Case cases[] = {
        {6, 1, 502, true},  {6, 1, 501, false}, {6, 1, 500, false}, {6, 1, 639, true},
        {6, 0, 502, false}, {6, 0, 100, false}, {5, 1, 600, false}, {7, 1, 600, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BuyCodeClickOnButton(c.position, c.column, c.x), c.onButton)
            << c.position << "," << c.column << " x " << c.x;
    }
}

}  // namespace
