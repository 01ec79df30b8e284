// The radio facts as JSON: the short form's keys in their order, tenths for the reading
// process, a TAC wherever a tracking area is meant, and the short form read back tolerantly.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "radio/radio_json.h"
#include "tests/radio/facts_summary.h"

namespace {

using Json = nlohmann::ordered_json;

RadioFacts Facts(RadioTech tech, ChannelKind channel) {
    RadioFacts facts;
    facts.tech = tech;
    facts.channelKind = channel;
    facts.area = {true, 0x1A2B};
    facts.cellId = {true, 0xA2B3C4};
    facts.band = {true, 3};
    facts.Get(MetricKind::Rsrp) = {true, -140, OpenEnd::Below};
    facts.Get(MetricKind::Rssi) = {true, -57.66};
    return facts;
}

TEST(RadioJson, ShortFormKeysAndPrecision) {
    Json line;
    line["time"] = "t";
    AddRadioJson(Facts(RadioTech::Lte, ChannelKind::Earfcn), RadioJsonForm::Short, MetricPrecision::AsDecoded, &line);
    EXPECT_EQ(line.dump(), R"({"time":"t","rat":"LTE","rssi":-57.66,"rsrp":-140,"rsrq":null,"sinr":null,"band":3,"pci":null})");
    Json tenths;
    AddRadioJson(Facts(RadioTech::Lte, ChannelKind::Earfcn), RadioJsonForm::Short, MetricPrecision::Tenths, &tenths);
    EXPECT_EQ(tenths["rssi"], -57.7);
}

TEST(RadioJson, CellNamesTheAreaByTheTechnology) {
    const struct {
        RadioTech tech;
        ChannelKind channel;
        bool tac;
        bool enb;
    } cases[] = {
        {RadioTech::Lte, ChannelKind::None, true, true},        {RadioTech::LteNr, ChannelKind::None, true, true},
        {RadioTech::Nr5g, ChannelKind::None, true, false},      {RadioTech::Unknown, ChannelKind::Earfcn, true, true},
        {RadioTech::Umts, ChannelKind::Uarfcn, false, false},   {RadioTech::Gsm, ChannelKind::Arfcn, false, false},
    };
    for (const auto& c : cases) {
        Json doc;
        AddRadioJson(Facts(c.tech, c.channel), RadioJsonForm::Cell, MetricPrecision::AsDecoded, &doc);
        EXPECT_EQ(doc["tac"], c.tac ? Json(0x1A2B) : Json()) << static_cast<int>(c.tech);
        EXPECT_EQ(doc["lac"], c.tac ? Json() : Json(0x1A2B)) << static_cast<int>(c.tech);
        EXPECT_EQ(doc["enb_id"], c.enb ? Json(41651) : Json()) << static_cast<int>(c.tech);
        EXPECT_EQ(doc["rsrp_open_end"], "below");
        EXPECT_EQ(doc["rsrp_grade"], "poor");
    }
}

TEST(RadioJson, TheShortFormReadBackKeepsOnlyWhatIsBelieved) {
    const struct {
        const char* line;
        const char* facts;
    } cases[] = {
        {R"({"rat":"LTE+NR","rssi":-57.7,"rsrp":-95,"rsrq":-9.5,"sinr":12,"band":3,"pci":102})",
         "tech=LTE+NR band=3 pci=102 rssi=-57.7 rsrp=-95 rsrq=-9.5 sinr=12"},
        {R"({"rat":"5G","rsrp":"-95","rsrq":-90,"band":300,"pci":-1,"sinr":null})", ""},
        {R"({"rat":7,"band":3.5,"pci":18446744073709551615})", ""},
        {R"([1,2])", ""},
        {R"({})", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FactsSummary(RadioFactsFromJson(Json::parse(c.line))), c.facts) << c.line;
    }
}

}  // namespace
