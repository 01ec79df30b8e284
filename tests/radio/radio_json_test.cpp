// The radio facts as JSON: the short form's keys in their order, tenths for the reading
// process, a TAC wherever a tracking area is meant, and the short form read back tolerantly.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "radio/metric_formulas.h"
#include "radio/radio_json.h"
#include "radio/reply_parsers.h"
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
    EXPECT_EQ(line.dump(), R"({"time":"t","rat":"LTE","rssi":-57.66,"rsrp":-140,"rsrq":null,"sinr":null,"band":3,"pci":null,)"
              R"("nr":null,"carrier_count":null})");
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

// The NR leg and the carriers: null where the reading has none, every key present where it
// has them, bandwidths in MHz (1.4 as such), notes once each.
TEST(RadioJson, CellCarriesTheNrLegAndTheCarriers) {
    RadioFacts facts;
    ParseCereg("+CEREG: 2,1,\"1A2B\",\"0A2B3C4\",13\r\nOK\r\n", &facts);
    ParseQeng("+QENG: \"servingcell\",\"NOCONN\"\r\n+QENG: \"LTE\",\"FDD\",250,01,2B3C4D5,45,6300,20,0,0,00C3,-102,-14,"
              "-70,7,9,-,-\r\n+QENG: \"NR5G-NSA\",250,01,500,-79,12,-11,627264,78,12,1\r\nOK\r\n",
              &facts);
    ParseQcainfo("+QCAINFO: \"SCC\",627264,12,\"NR5G BAND 78\",500\r\n+QCAINFO: \"PCC\",6300,6,\"LTE BAND 20\",1,45,-102,"
                 "-14,-70,7\r\nOK\r\n",
                 &facts);
    StampSources(&facts, "AT+QENG=\"servingcell\"");
    CompleteFacts(&facts);
    Json doc;
    AddRadioJson(facts, RadioJsonForm::Cell, MetricPrecision::AsDecoded, &doc);
    EXPECT_EQ(doc["rat"], "LTE+NR");
    EXPECT_EQ(doc["bandwidth_mhz"], 1.4);
    EXPECT_EQ(doc["nr"].dump(),
              R"({"band":78,"channel":627264,"pci":500,"bandwidth_mhz":100,"rsrp":-79,"rsrp_grade":"excellent",)"
              R"("rsrp_open_end":null,"rsrq":-11,"rsrq_grade":"good","rsrq_open_end":null,"sinr":12,"sinr_grade":"fair",)"
              R"("sinr_open_end":null,"source":{"band":"AT+QENG=\"servingcell\"","channel":"AT+QENG=\"servingcell\"",)"
              R"("pci":"AT+QENG=\"servingcell\"","bandwidth_mhz":"AT+QENG=\"servingcell\"","rsrp":"AT+QENG=\"servingcell\"",)"
              R"("rsrq":"AT+QENG=\"servingcell\"","sinr":"AT+QENG=\"servingcell\""}})");
    ASSERT_EQ(doc["carriers"].size(), 2u);
    EXPECT_EQ(doc["carriers"][0].dump(),
              R"({"role":"pcc","rat":"LTE","band":20,"channel":6300,"bandwidth_mhz":1.4,"pci":45,"state":"active",)"
              R"("rsrp":-102,"rsrq":-14,"rssi":-70,"sinr":7})");
    EXPECT_EQ(doc["carriers"][1]["rat"], "NR");
    EXPECT_EQ(doc["carriers"][1]["rsrp"], Json());
    // Both SINRs of the multi-line form carry the same note, once.
    EXPECT_EQ(doc["notes"], Json::array({kQengLinesSinrNote}));

    // Standalone NR: no leg, an NR-ARFCN, a TAC and no eNB; a family without a carrier list.
    RadioFacts standalone;
    ParseQeng("+QENG: \"servingcell\",\"NOCONN\",\"NR5G-SA\",\"TDD\",250,99,100072000,500,00C3A1,627264,78,12,-95,-11,15,1,-"
              "\r\nOK\r\n",
              &standalone);
    CompleteFacts(&standalone);
    Json sa;
    AddRadioJson(standalone, RadioJsonForm::Cell, MetricPrecision::AsDecoded, &sa);
    EXPECT_EQ(sa["rat"], "NR");
    EXPECT_EQ(sa["channel_kind"], "NR-ARFCN");
    EXPECT_EQ(sa["cell_id"], 4295434240LL);
    EXPECT_EQ(sa["tac"], 0xC3A1);
    EXPECT_EQ(sa["enb_id"], Json());
    EXPECT_EQ(sa["nr"], Json());
    EXPECT_EQ(sa["carriers"], Json());
    EXPECT_EQ(sa["notes"], Json::array());
    EXPECT_EQ(sa["bandwidth_mhz"], 100);
}

TEST(RadioJson, TheShortFormReadBackKeepsOnlyWhatIsBelieved) {
    const struct {
        const char* line;
        const char* facts;
    } cases[] = {
        {R"({"rat":"LTE+NR","rssi":-57.7,"rsrp":-95,"rsrq":-9.5,"sinr":12,"band":3,"pci":102})",
         "tech=LTE+NR band=3 pci=102 rssi=-57.7 rsrp=-95 rsrq=-9.5 sinr=12"},
        {R"({"rat":"5G","rsrp":"-95","rsrq":-90,"band":1025,"pci":-1,"sinr":null})", ""},
        {R"({"rat":7,"band":3.5,"pci":18446744073709551615})", ""},
        // The reading form's NR leg and carriers; a leg off EN-DC and carriers of no known
        // role or technology are not kept, nor a bandwidth of no table.
        {R"({"rat":"LTE+NR","rsrp":-88,"band":3,"pci":102,"nr":{"band":78,"channel":627264,"pci":500,)"
         R"("bandwidth_mhz":100,"rsrp":-84,"rsrq":25,"sinr":18.5},"carrier_count":2,"carriers":[{"role":"pcc",)"
         R"("rat":"LTE","band":3,"channel":1300,"bandwidth_mhz":1.4,"pci":102,"state":"active","rsrp":-88},)"
         R"({"role":"scc","rat":"NR","band":78,"bandwidth_mhz":0.5,"state":"inactive","sinr":"x"},)"
         R"({"role":"xcc","rat":"NR"},{"role":"scc","rat":"GSM"},7]})",
         "tech=LTE+NR band=3 pci=102 rsrp=-88 nr[band=78 ch=627264 pci=500 bw=100 rsrp=-84 sinr=18.5] "
         "cc[(pcc LTE band=3 ch=1300 bw=1.4 pci=102 active rsrp=-88)(scc NR band=78 inactive)]"},
        {R"({"rat":"LTE","nr":{"band":78},"carriers":{}})", "tech=LTE"},
        {R"([1,2])", ""},
        {R"({})", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FactsSummary(RadioFactsFromJson(Json::parse(c.line))), c.facts) << c.line;
    }
    // The reading form carries open ends through the parent: "-140 or less" stays so in the
    // exporter's JSON; an open end of another type or word is none.
    Json reading;
    AddRadioJson(Facts(RadioTech::Lte, ChannelKind::Earfcn), RadioJsonForm::Reading, MetricPrecision::Tenths, &reading);
    Json cell;
    AddRadioJson(RadioFactsFromJson(reading), RadioJsonForm::Cell, MetricPrecision::AsDecoded, &cell);
    EXPECT_EQ(cell["rsrp_open_end"], "below") << reading;
    EXPECT_TRUE(cell["rssi_open_end"].is_null()) << reading;
    for (const char* odd : {R"("sideways")", "1", R"(["below"])"}) {
        const Json line = Json::parse(std::string(R"({"rat":"LTE","rsrp":-140,"rsrp_open_end":)") + odd + "}");
        EXPECT_EQ(RadioFactsFromJson(line).Get(MetricKind::Rsrp).end, OpenEnd::None) << line;
    }
    // A child's line is read with a bound on its carriers.
    Json many = Json::parse(R"({"rat":"LTE","carriers":[]})");
    for (int i = 0; i < 40; ++i) many["carriers"].push_back(Json::parse(R"({"role":"scc","rat":"LTE"})"));
    EXPECT_EQ(RadioFactsFromJson(many).carriers.size(), kMaxCarriersRead);
}

}  // namespace
