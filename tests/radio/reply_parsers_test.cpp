// Each parser against real replies (shapes from module manuals and captures, invented
// operators and cells), with the echo, unsolicited lines and odd spacing modems produce, and
// the facts each must give. An empty expectation means nothing may be believed.
#include <gtest/gtest.h>

#include <string>

#include "radio/radio_families.h"
#include "radio/reply_parsers.h"
#include "tests/radio/facts_summary.h"

namespace {

struct Case {
    const char* reply;
    bool recognised;
    const char* facts;
};

// What a reading of the one reply would give: the parser, then what follows once a reading is
// whole (band of an EARFCN, LTE+NR from an NR leg).
void Check(ReplyParser parse, const Case* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        RadioFacts facts;
        const bool recognised = parse(cases[i].reply, &facts);
        CompleteFacts(&facts);
        EXPECT_EQ(recognised, cases[i].recognised) << cases[i].reply;
        EXPECT_EQ(FactsSummary(facts), cases[i].facts) << cases[i].reply;
    }
}

#define CHECK_TABLE(parser, table) Check(parser, table, sizeof table / sizeof table[0])

TEST(RadioParsers, Cesq) {
    const Case cases[] = {
        // LTE: rxlev, ber, rscp, ecno unknown; rsrq 20 -> -10 dB, rsrp 45 -> -96 dBm.
        {"AT+CESQ\r\r\n+CESQ: 99,99,255,255,20,45\r\n\r\nOK\r\n", true, "rsrp=-96 rsrq=-10"},
        // Unquoted, space-padded, the scale ends.
        {"\r\n+CESQ:  99, 99, 255, 255,  0,  0\r\n\r\nOK\r\n", true, "rsrp<-140 rsrq<-19.5"},
        {"\r\n+CESQ: 99,99,255,255,34,97\r\nOK\r\n", true, "rsrp>=-44 rsrq>=-3"},
        // UMTS: rscp 40 -> -81 dBm, ecno 30 -> -9.5 dB; GSM rxlev 30 -> -81 dBm.
        {"\r\n+CESQ: 30,0,40,30,255,255\r\n\r\nOK\r\n", true, "rssi=-81 rscp=-81 ecno=-9.5"},
        // Past the scales, negative, letters: unknown.
        {"\r\n+CESQ: 64,99,97,50,35,98\r\n\r\nOK\r\n", true, ""},
        {"\r\n+CESQ: -1,99,x,,35a,-5\r\n\r\nOK\r\n", true, ""},
        // An unsolicited line before the reply; the prefix inside a line does not count.
        {"\r\n+CEREG: 1\r\n\r\n+CESQ: 99,99,255,255,30,60\r\n\r\nOK\r\n", true, "rsrp=-81 rsrq=-5"},
        {"\r\nfoo +CESQ: 1,2,3,4,5,6\r\nERROR\r\n", false, ""},
        // A code is never negative: "-0" and a sign are no code.
        {"\r\n+CESQ: 99,99,255,255,+20,-0\r\n\r\nOK\r\n", true, ""},
    };
    CHECK_TABLE(ParseCesq, cases);
}

TEST(RadioParsers, Csq) {
    const Case cases[] = {
        {"AT+CSQ\r\r\n+CSQ: 18,99\r\n\r\nOK\r\n", true, "rssi=-77"},
        {"\r\n+CSQ: 0,99\r\n\r\nOK\r\n", true, "rssi<-113"},
        {"\r\n+CSQ: 31,99\r\n\r\nOK\r\n", true, "rssi>=-51"},
        {"\r\n+CSQ: 99,99\r\n\r\nOK\r\n", true, ""},
        {"\r\n+CSQ: 150,99\r\n\r\nOK\r\n", true, "rssi=-66"},
        // The extension's ends as the signal row reads them: -116 dBm or less, -25 or more.
        {"\r\n+CSQ: 100,99\r\n\r\nOK\r\n", true, "rssi<-116"},
        {"\r\n+CSQ: 191,99\r\n\r\nOK\r\n", true, "rssi>=-25"},
        {"\r\n+CSQ: -0,99\r\n\r\nOK\r\n", true, ""},
        {"\r\nERROR\r\n", false, ""},
    };
    CHECK_TABLE(ParseCsq, cases);
}

TEST(RadioParsers, Registration) {
    const Case cases[] = {
        // Read form <n>,<stat>,<tac>,<ci>,<AcT>.
        {"AT+CEREG?\r\r\n+CEREG: 2,1,\"1A2B\",\"0A2B3C4D\",7\r\n\r\nOK\r\n", true,
         "tech=LTE reg=home area=6699 cell=170605645"},
        // Unquoted and space-padded; roaming; no AcT (registered on EPS is LTE).
        {"\r\n+CEREG: 2, 5, 2F1,  1A2D001\r\n\r\nOK\r\n", true, "tech=LTE reg=roaming area=753 cell=27447297"},
        // Mode 0: no location. An unsolicited report before the reply is not the reply.
        {"\r\n+CEREG: 1,\"00C3\",\"0000A1B2\",7\r\n\r\n+CEREG: 0,2\r\n\r\nOK\r\n", true, "reg=searching"},
        {"\r\n+CEREG: 0,3\r\n\r\nOK\r\n", true, "reg=denied"},
        {"\r\n+CEREG: 0,0\r\n\r\nOK\r\n", true, "reg=idle"},
        // An unsolicited report alone is no reply; nor is a stat out of range.
        {"\r\n+CEREG: 1,\"00C3\",\"0000A1B2\",7\r\n", false, ""},
        {"\r\n+CEREG: 2,12\r\n\r\nOK\r\n", false, ""},
        // A cell id past 28 bits is not believed.
        {"\r\n+CEREG: 2,1,\"1A2B\",\"1FFFFFFFF\",7\r\n\r\nOK\r\n", true, "tech=LTE reg=home"},
        // NR (AcT 12) and E-UTRAN with NR (13); a signed stat is no stat.
        {"\r\n+CEREG: 2,1,\"1A2B\",\"0A2B3C4\",12\r\n\r\nOK\r\n", true, "tech=NR reg=home area=6699 cell=10662852"},
        {"\r\n+CEREG: 2,1,\"1A2B\",\"0A2B3C4\",13\r\n\r\nOK\r\n", true, "tech=LTE+NR reg=home area=6699 cell=10662852"},
        {"\r\n+CEREG: 0,-0\r\n\r\nOK\r\n", false, ""},
    };
    CHECK_TABLE(ParseCereg, cases);
    // The 5G core's registration: a TAC of three bytes and a 36-bit NR cell id (past 32 bits:
    // 100072000 hex is 4295434240), AcT 11 NR, 10 E-UTRAN on a 5G core.
    const Case fiveGs[] = {
        {"AT+C5GREG?\r\r\n+C5GREG: 2,1,\"00C3A1\",\"100072000\",11\r\n\r\nOK\r\n", true,
         "tech=NR reg=home area=50081 cell=4295434240"},
        {"\r\n+C5GREG: 2, 5, C3A1, FFFFFFFFF\r\n\r\nOK\r\n", true, "tech=NR reg=roaming area=50081 cell=68719476735"},
        {"\r\n+C5GREG: 2,1,\"00C3A1\",\"1000720000\",11\r\n\r\nOK\r\n", true, "tech=NR reg=home"},
        {"\r\n+C5GREG: 2,1,\"1A2B\",\"0A2B3C4\",10\r\n\r\nOK\r\n", true, "tech=LTE reg=home area=6699 cell=10662852"},
        {"\r\n+C5GREG: 0,0\r\n\r\nOK\r\n", true, "reg=idle"},
        {"\r\n+C5GREG: 1,\"00C3A1\",\"100072000\",11\r\n", false, ""},
    };
    CHECK_TABLE(ParseC5greg, fiveGs);
    const Case circuit[] = {
        {"\r\n+CREG: 2,1,\"00C3\",\"A1B2\",2\r\n\r\nOK\r\n", true, "tech=UMTS reg=home area=195 cell=41394"},
        {"\r\n+CREG: 2,1,\"00C3\",\"A1B2\"\r\n\r\nOK\r\n", true, "reg=home area=195 cell=41394"},
    };
    CHECK_TABLE(ParseCreg, circuit);
}

TEST(RadioParsers, CopsCpinCfun) {
    const Case cops[] = {
        {"AT+COPS?\r\r\n+COPS: 0,0,\"Zentra Mobile\",7\r\n\r\nOK\r\n", true, "tech=LTE name=Zentra Mobile"},
        {"\r\n+COPS: 0,2,\"25099\",2\r\n\r\nOK\r\n", true, "tech=UMTS op=25099"},
        {"\r\n+COPS: 0,0,\"Nord, link\",13\r\n\r\nOK\r\n", true, "tech=LTE+NR name=Nord, link"},
        {"\r\n+COPS: 0,2,\"25099\",12\r\n\r\nOK\r\n", true, "tech=NR op=25099"},
        {"\r\n+COPS: 0\r\n\r\nOK\r\n", true, ""},
        {"\r\n+COPS: 0,0,\"Zentra\",14\r\n\r\nOK\r\n", true, "name=Zentra"},
    };
    CHECK_TABLE(ParseCops, cops);
    const Case cpin[] = {
        {"\r\n+CPIN: READY\r\n\r\nOK\r\n", true, ""},
        {"\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n", true, "why=pin"},
        {"\r\n+CME ERROR: 10\r\n", true, "why=nosim"},
        {"\r\n+CME ERROR: SIM not inserted\r\n", true, "why=nosim"},
    };
    CHECK_TABLE(ParseCpin, cpin);
    const Case cfun[] = {
        {"\r\n+CFUN: 1\r\n\r\nOK\r\n", true, ""},
        {"\r\n+CFUN: 4\r\n\r\nOK\r\n", true, "why=radiooff"},
        {"\r\n+CFUN: 0\r\n\r\nOK\r\n", true, "why=radiooff"},
    };
    CHECK_TABLE(ParseCfun, cfun);
}

TEST(RadioParsers, CaretFamily) {
    const Case hcsq[] = {
        // rssi 56 -> -65, rsrp 46 -> -95, sinr 162 -> 12.2, rsrq 21 -> -9.5.
        {"AT^HCSQ?\r\r\n^HCSQ: \"LTE\",56,46,162,21\r\n\r\nOK\r\n", true,
         "tech=LTE rssi=-65 rsrp=-95 rsrq=-9.5 sinr=12.2"},
        {"\r\n^HCSQ:\"LTE\",0,0,0,0\r\n\r\nOK\r\n", true, "tech=LTE rssi<-120 rsrp<-140 rsrq<-19.5 sinr<-20"},
        {"\r\n^HCSQ:\"LTE\",96,97,251,34\r\n\r\nOK\r\n", true, "tech=LTE rssi>=-25 rsrp>=-44 rsrq>=-3 sinr>=30"},
        {"\r\n^HCSQ:\"LTE\",255,255,255,255\r\n\r\nOK\r\n", true, "tech=LTE"},
        {"\r\n^HCSQ: \"WCDMA\",40,38,50\r\n\r\nOK\r\n", true, "tech=UMTS rssi=-81 rscp=-83 ecno=-7.5"},
        {"\r\n^HCSQ: \"NOSERVICE\"\r\n\r\nOK\r\n", true, ""},
        // EN-DC: the LTE anchor's line and the NR leg's, in either order; the NR line has no
        // RSSI and its RSRP code (50 -> -91) is never an RSSI. NR alone is the serving cell.
        {"\r\n^HCSQ: \"LTE\",56,46,162,21\r\n^HCSQ: \"NR\",50,92,30\r\n\r\nOK\r\n", true,
         "tech=LTE+NR rssi=-65 rsrp=-95 rsrq=-9.5 sinr=12.2 nr[rsrp=-91 rsrq=-5 sinr=-1.8]"},
        {"\r\n^HCSQ: \"NR\",96,251,34\r\n^HCSQ: \"LTE\",56,46,162,21\r\n\r\nOK\r\n", true,
         "tech=LTE+NR rssi=-65 rsrp=-95 rsrq=-9.5 sinr=12.2 nr[rsrp=-45 rsrq>=-3 sinr>=30]"},
        {"\r\n^HCSQ: \"NR\",50,92,30\r\n\r\nOK\r\n", true, "tech=NR rsrp=-91 rsrq=-5 sinr=-1.8"},
        {"\r\n^HCSQ:\"NR\",0,255,35\r\n\r\nOK\r\n", true, "tech=NR rsrp<-140"},
        // A WCDMA line beside LTE's has no say over the LTE figures.
        {"\r\n^HCSQ: \"WCDMA\",40,38,50\r\n^HCSQ: \"LTE\",56,46,162,21\r\n\r\nOK\r\n", true,
         "tech=LTE rssi=-65 rsrp=-95 rsrq=-9.5 sinr=12.2"},
    };
    CHECK_TABLE(ParseHcsq, hcsq);
    const Case sysinfoex[] = {
        {"\r\n^SYSINFOEX:2,3,0,1,,6,\"LTE\",101,\"LTE\"\r\n\r\nOK\r\n", true, "tech=LTE"},
        {"\r\n^SYSINFOEX:0,0,0,255,,0,\"\",0,\"\"\r\n\r\nOK\r\n", true, "why=nosim"},
    };
    CHECK_TABLE(ParseSysinfoex, sysinfoex);
    const Case hfreqinfo[] = {
        {"\r\n^HFREQINFO:0,6,3,1300,18400,15000,19300,17450,15000\r\n\r\nOK\r\n", true, "band=3 ch=1300/EARFCN"},
        // No band class given: the band from the channel.
        {"\r\n^HFREQINFO:0,6,,6300,,,,,\r\n\r\nOK\r\n", true, "band=20 ch=6300/EARFCN"},
        {"\r\n^HFREQINFO:0,3,1,10700,21400,,,,\r\n\r\nOK\r\n", true, "band=1 ch=10700/UARFCN"},
    };
    CHECK_TABLE(ParseHfreqinfo, hfreqinfo);
    const Case monsc[] = {
        {"\r\n^MONSC: LTE,250,99,1300,0A2B3C4,102,1A2B,-95,-10,-65\r\n\r\nOK\r\n", true,
         "tech=LTE op=25099 band=3 ch=1300/EARFCN pci=102 area=6699 cell=10662852 rssi=-65 rsrp=-95 rsrq=-10"},
        {"\r\n^MONSC: WCDMA,250,01,10700,300,1A2B3C,00C3,-85,-70,-8,6,0\r\n\r\nOK\r\n", true,
         "tech=UMTS op=25001 ch=10700/UARFCN pci=300 area=195 cell=1715004 rssi=-70 rscp=-85 ecno=-8"},
        // PCI 504 and RSRP -200 are no values.
        {"\r\n^MONSC: LTE,250,99,1300,0A2B3C4,504,1A2B,-200,-10,-65\r\n\r\nOK\r\n", true,
         "tech=LTE op=25099 band=3 ch=1300/EARFCN area=6699 cell=10662852 rssi=-65 rsrq=-10"},
    };
    CHECK_TABLE(ParseMonsc, monsc);
}

TEST(RadioParsers, QengFamily) {
    const Case cases[] = {
        // One line: SINR 16 on the 0..250 scale is -16.8 dB.
        {"AT+QENG=\"servingcell\"\r\r\n+QENG: \"servingcell\",\"NOCONN\",\"LTE\",\"FDD\",250,99,1A2D001,301,1300,3,"
         "5,5,1A2B,-85,-11,-55,16,31,-,29\r\n\r\nOK\r\n",
         true, "tech=LTE op=25099 band=3 ch=1300/EARFCN pci=301 area=6699 cell=27447297 bw=20 rssi=-55 rsrp=-85 rsrq=-11 "
               "sinr=-16.8~"},
        // One line, a value above 40 is the scale too (150 -> 10 dB).
        {"\r\n+QENG: \"servingcell\",\"CONNECT\",\"LTE\",\"FDD\",250,99,1A2D001,301,1300,3,5,5,1A2B,-85,-11,-55,150,31,-,29"
         "\r\n\r\nOK\r\n",
         true, "tech=LTE op=25099 band=3 ch=1300/EARFCN pci=301 area=6699 cell=27447297 bw=20 rssi=-55 rsrp=-85 rsrq=-11 "
               "sinr=10"},
        // Two lines: plain dB; a negative value is dB on any firmware.
        {"\r\n+QENG: \"servingcell\",\"NOCONN\"\r\n+QENG: \"LTE\",\"FDD\",250,01,2B3C4D5,45,6300,20,3,3,00C3,-102,-14,-70,"
         "16,9,-,-\r\n\r\nOK\r\n",
         true, "tech=LTE op=25001 band=20 ch=6300/EARFCN pci=45 area=195 cell=45335765 bw=10 rssi=-70 rsrp=-102 rsrq=-14 "
               "sinr=16~"},
        {"\r\n+QENG: \"servingcell\",\"NOCONN\",\"LTE\",\"FDD\",250,99,1A2D001,301,1300,3,5,5,1A2B,-85,-11,-55,-3,31,-,29"
         "\r\n\r\nOK\r\n",
         true, "tech=LTE op=25099 band=3 ch=1300/EARFCN pci=301 area=6699 cell=27447297 bw=20 rssi=-55 rsrp=-85 rsrq=-11 "
               "sinr=-3"},
        // EN-DC: the LTE anchor's facts, the technology named as LTE+NR.
        {"\r\n+QENG: \"servingcell\",\"NOCONN\"\r\n+QENG: \"LTE\",\"FDD\",250,01,2B3C4D5,45,6300,20,3,3,00C3,-102,-14,-70,"
         "7,9,-,-\r\n+QENG: \"NR5G-NSA\",250,01,500,-95,12,-11,627264,78,12,1\r\n\r\nOK\r\n",
         true, "tech=LTE+NR op=25001 band=20 ch=6300/EARFCN pci=45 area=195 cell=45335765 bw=10 rssi=-70 rsrp=-102 "
               "rsrq=-14 sinr=7~ nr[band=78 ch=627264 pci=500 bw=100 rsrp=-95 rsrq=-11 sinr=12]"},
        // Standalone NR on one line, a blank before a field; no band: n78 from the channel
        // (n77 holds it too, n78 is narrower).
        {"\r\n+QENG: \"servingcell\",\"NOCONN\",\"NR5G-SA\",\"TDD\", 250,99,100072000,500,00C3A1,627264,78,12,-95,-11,"
         "15,1,-\r\n\r\nOK\r\n",
         true, "tech=NR op=25099 band=78 ch=627264/NR-ARFCN pci=500 area=50081 cell=4295434240 bw=100 rsrp=-95 rsrq=-11 "
               "sinr=15"},
        {"\r\n+QENG:\"servingcell\",\"NOCONN\",\"NR5G-SA\",\"FDD\",250,99,100072000,1008,00C3A1,627264,-,15,-95,-,-,1,-"
         "\r\n\r\nOK\r\n",
         true, "tech=NR op=25099 band=78 ch=627264/NR-ARFCN area=50081 cell=4295434240 rsrp=-95"},
        // EN-DC's older NR line ends after RSRQ and may lack the blank after the colon; its
        // SINR past 40 dB is no value. The LTE line's 25 is plain dB with its note.
        {"\r\n+QENG: \"servingcell\",\"NOCONN\"\r\n+QENG: \"LTE\",\"FDD\",250,01,1A2D001,1,1575,3,3,3,1,-70,-9,-46,25,-"
         "\r\n+QENG:\"NR5G-NSA\",250,01,500,-75,180,-11\r\n\r\nOK\r\n",
         true, "tech=LTE+NR op=25001 band=3 ch=1575/EARFCN pci=1 area=1 cell=27447297 bw=10 rssi=-46 rsrp=-70 rsrq=-9 "
               "sinr=25~ nr[pci=500 rsrp=-75 rsrq=-11]"},
        // The NR leg's band from its channel; "-" unknown.
        {"\r\n+QENG: \"servingcell\",\"CONNECT\"\r\n+QENG: \"LTE\",\"TDD\",250,01,2B3C4D5,45,38950,40,5,5,00C3,-90,-10,"
         "-60,-5,9,-,-\r\n+QENG: \"NR5G-NSA\",250,01,-,-88,21,-12,504990,-,13,1\r\n\r\nOK\r\n",
         true, "tech=LTE+NR op=25001 band=40 ch=38950/EARFCN pci=45 area=195 cell=45335765 bw=20 rssi=-60 rsrp=-90 "
               "rsrq=-10 sinr=-5 nr[band=41 ch=504990 bw=200 rsrp=-88 rsrq=-12 sinr=21]"},
        {"\r\n+QENG: \"servingcell\",\"SEARCH\"\r\n\r\nOK\r\n", true, "why=searching"},
        {"\r\n+QENG: \"servingcell\",\"NOCONN\",\"WCDMA\",250,01,00C3,1A2B3C,10700,300,1,-85,-8,-,-,-,-,-\r\n\r\nOK\r\n",
         true, "tech=UMTS op=25001 ch=10700/UARFCN pci=300 area=195 cell=1715004 rscp=-85 ecno=-8"},
        // Dashes for what the modem does not know.
        {"\r\n+QENG: \"servingcell\",\"LIMSRV\",\"LTE\",\"FDD\",-,-,-,-,-,-,-,-,-,-,-,-,-,-,-,-\r\n\r\nOK\r\n", true, "tech=LTE"},
        {"\r\n+QENG: \"neighbourcell intra\",\"LTE\",1300,301,-11,-85,-55\r\n\r\nOK\r\n", false, ""},
        // Malformed numbers are unknown: EARFCN "-0" (not 0 beside band 20), RSRQ -14.5 in an
        // integer field.
        {"\r\n+QENG: \"servingcell\",\"NOCONN\"\r\n+QENG: \"LTE\",\"FDD\",250,01,2B3C4D5,45,-0,20,3,3,00C3,-102,-14.5,"
         "-70,16,9,-,-\r\n\r\nOK\r\n",
         true, "tech=LTE op=25001 band=20 pci=45 area=195 cell=45335765 bw=10 rssi=-70 rsrp=-102 sinr=16~"},
    };
    CHECK_TABLE(ParseQeng, cases);
    const Case carriers[] = {
        // LTE carriers in resource blocks, an NR carrier's short form; the RSSNR read as the
        // multi-line form's SINR.
        {"AT+QCAINFO\r\r\n+QCAINFO: \"PCC\",150,100,\"LTE BAND 1\",1,1,-89,-10,-59,15\r\n+QCAINFO: \"SCC\",1300,75,"
         "\"LTE BAND 3\",2,102,-95,-12,-65,-2\r\n+QCAINFO: \"SCC\",627264,12,\"NR5G BAND 78\",500\r\n\r\nOK\r\n",
         true,
         "cc[(pcc LTE band=1 ch=150 bw=20 pci=1 active rssi=-59 rsrp=-89 rsrq=-10 sinr=15~)(scc LTE band=3 ch=1300 "
         "bw=15 pci=102 active rssi=-65 rsrp=-95 rsrq=-12 sinr=-2)(scc NR band=78 ch=627264 bw=100 pci=500)]"},
        // The primary first whatever the order; the NR long form with and without RSRP/RSRQ;
        // a bandwidth of no table, a state of none.
        {"\r\n+QCAINFO: \"SCC\",627264,12,\"NR5G BAND 78\",2,500,1,12,627264,-92,-11\r\n+QCAINFO: \"SCC\",504990,13,"
         "\"NR5G BAND 41\",1,77,0,-,-\r\n+QCAINFO:\"PCC\",6300,7,\"LTE BAND 20\",9,45,-102,-14,-70,-\r\n\r\nOK\r\n",
         true,
         "cc[(pcc LTE band=20 ch=6300 pci=45 rssi=-70 rsrp=-102 rsrq=-14)(scc NR band=78 ch=627264 bw=100 pci=500 "
         "active rsrp=-92 rsrq=-11)(scc NR band=41 ch=504990 bw=200 pci=77 inactive)]"},
        // A band text of neither technology, a role of neither kind: no carrier.
        {"\r\n+QCAINFO: \"SCC\",1300,75,\"WCDMA BAND 1\",2,102\r\n+QCAINFO: \"XCC\",150,100,\"LTE BAND 1\",1,1\r\n\r\nOK"
         "\r\n",
         false, ""},
        {"\r\nOK\r\n", false, ""},
    };
    CHECK_TABLE(ParseQcainfo, carriers);
}

TEST(RadioParsers, CpsiFamily) {
    const Case cases[] = {
        // Tenths of a dB: RSRQ -94 -> -9.4, RSRP -850 -> -85, RSSI -577 -> -57.7; RSSNR in dB.
        {"AT+CPSI?\r\r\n+CPSI: LTE,Online,250-99,0x1A2B,27447297,372,EUTRAN-BAND3,1300,5,5,-94,-850,-577,12\r\n\r\nOK\r\n",
         true, "tech=LTE op=25099 band=3 ch=1300/EARFCN pci=372 area=6699 cell=27447297 rssi=-57.7 rsrp=-85 rsrq=-9.4 sinr=12"},
        {"\r\n+CPSI: WCDMA,Online,250-01,0x00C3,1715004,WCDMA IMT 2000,10700,300,0,1.5,66,31,37,500\r\n\r\nOK\r\n",
         true, "tech=UMTS op=25001 ch=10700/UARFCN pci=300 area=195 cell=1715004"},
        {"\r\n+CPSI: GSM,Online,250-99,0x00c3,41394,27 EGSM 900,-64,2110,42-42\r\n\r\nOK\r\n", true,
         "tech=GSM op=25099 ch=27/ARFCN area=195 cell=41394 rssi=-64"},
        {"\r\n+CPSI: NO SERVICE,Online\r\n\r\nOK\r\n", true, "why=searching"},
        // RSRP in tenths past its range is no value.
        {"\r\n+CPSI: LTE,Online,250-99,0x1A2B,27447297,372,EUTRAN-BAND3,1300,5,5,-94,-2000,-577,99\r\n\r\nOK\r\n",
         true, "tech=LTE op=25099 band=3 ch=1300/EARFCN pci=372 area=6699 cell=27447297 rssi=-57.7 rsrq=-9.4"},
    };
    const Case nr[] = {
        // Standalone NR: the 36-bit cell id in decimal, levels in tenths.
        {"\r\n+CPSI: NR5G_SA,Online,250-99,0x00C3A1,4295434240,500,NR5G_BAND78,627264,-950,-110,150\r\n\r\nOK\r\n",
         true, "tech=NR op=25099 band=78 ch=627264/NR-ARFCN pci=500 area=50081 cell=4295434240 rsrp=-95 rsrq=-11 sinr=15"},
        // EN-DC: the LTE line, then the NR leg's.
        {"\r\n+CPSI: LTE,Online,250-99,0x1A2B,27447297,372,EUTRAN-BAND3,1300,5,5,-94,-850,-577,12\r\n+CPSI: NR5G_NSA,"
         "500,NR5G_BAND78,627264,-1020,-125,35,0\r\n\r\nOK\r\n",
         true,
         "tech=LTE+NR op=25099 band=3 ch=1300/EARFCN pci=372 area=6699 cell=27447297 rssi=-57.7 rsrp=-85 rsrq=-9.4 "
         "sinr=12 nr[band=78 ch=627264 pci=500 rsrp=-102 rsrq=-12.5 sinr=3.5]"},
        // A band name of the other technology is no band; PCI past NR's 1007.
        {"\r\n+CPSI: NR5G_SA,Online,250-99,0x00C3A1,4295434240,1008,EUTRAN-BAND3,368500,-950,-110,150\r\n\r\nOK\r\n",
         true, "tech=NR op=25099 band=3 ch=368500/NR-ARFCN area=50081 cell=4295434240 rsrp=-95 rsrq=-11 sinr=15"},
    };
    CHECK_TABLE(ParseCpsi, cases);
    CHECK_TABLE(ParseCpsi, nr);
}

// One technology rule whatever the order a reading asks in: a family's serving cell outranks
// the +COPS AcT, which outranks the registration's; any NR leg turns LTE into LTE+NR.
TEST(RadioMerge, TheStrongestSourceNamesTheTechnology) {
    const char* const kNsa =
        "+QENG: \"servingcell\",\"NOCONN\"\r\n+QENG: \"LTE\",\"FDD\",250,01,2B3C4D5,45,6300,20,3,3,00C3,-102,-14,"
        "-70,7,9,-,-\r\n+QENG: \"NR5G-NSA\",250,01,500,-95,12,-11,627264,78,12,1\r\nOK\r\n";
    const char* const kLte = "^HCSQ: \"LTE\",56,46,162,21\r\nOK\r\n";
    const char* const kUmts = "^HCSQ: \"WCDMA\",40,38,50\r\nOK\r\n";
    const struct {
        const char* cereg;   // AcT of +CEREG, "" for none
        const char* cops;    // AcT of +COPS
        ReplyParser family;
        const char* familyReply;
        const char* tech;
    } cases[] = {
        {"7", "13", ParseQeng, kNsa, "LTE+NR"}, {"7", "13", ParseHcsq, kLte, "LTE+NR"},
        {"7", "2", ParseHcsq, kLte, "LTE"},     {"7", "2", nullptr, "", "UMTS"},
        {"13", "", ParseHcsq, kUmts, "UMTS"},   {"13", "", nullptr, "", "LTE+NR"},
        {"2", "7", nullptr, "", "LTE"},
    };
    for (const auto& c : cases) {
        RadioFacts facts;
        RadioFacts registration;
        ParseCereg(std::string("+CEREG: 2,1,\"1A2B\",\"0A2B3C4\",") + c.cereg + "\r\nOK\r\n", &registration);
        MergeFacts(registration, &facts);
        RadioFacts family;
        if (c.family != nullptr) c.family(c.familyReply, &family);
        MergeFacts(family, &facts);
        RadioFacts cops;
        if (*c.cops) ParseCops(std::string("+COPS: 0,2,\"25099\",") + c.cops + "\r\nOK\r\n", &cops);
        MergeFacts(cops, &facts);
        CompleteFacts(&facts);
        EXPECT_STREQ(TechName(facts.tech), c.tech) << c.cereg << " " << c.cops << " " << c.familyReply;
    }
}

// +CESQ's NR fields go to the serving cell on standalone NR, to the NR leg on EN-DC, and
// nowhere on LTE; a family's figures win over them.
TEST(RadioMerge, CesqNrFieldsFollowTheTechnology) {
    const struct {
        const char* registration;
        ReplyParser family;
        const char* familyReply;
        const char* cesq;
        const char* facts;
    } cases[] = {
        {"+C5GREG: 2,1,\"00C3A1\",\"100072000\",11", nullptr, "", "99,99,255,255,255,255,60,100,70",
         "tech=NR reg=home area=50081 cell=4295434240 rsrp=-57 rsrq=-13.5 sinr=11.5"},
        {"+C5GREG: 2,1,\"00C3A1\",\"100072000\",11", nullptr, "", "99,99,255,255,255,255,0,126,127",
         "tech=NR reg=home area=50081 cell=4295434240 rsrp>=-31 rsrq<-43 sinr>=40"},
        {"+CEREG: 2,1,\"1A2B\",\"0A2B3C4\",13", nullptr, "", "99,99,255,255,20,45,128,127,255",
         "tech=LTE+NR reg=home area=6699 cell=10662852 rsrp=-96 rsrq=-10"},
        {"+CEREG: 2,1,\"1A2B\",\"0A2B3C4\",13", nullptr, "", "99,99,255,255,20,45,127,60,47",
         "tech=LTE+NR reg=home area=6699 cell=10662852 rsrp=-96 rsrq=-10 nr[rsrp=-97 rsrq>=20 sinr=0]"},
        {"+CEREG: 2,1,\"1A2B\",\"0A2B3C4\",7", nullptr, "", "99,99,255,255,20,45,60,100,70",
         "tech=LTE reg=home area=6699 cell=10662852 rsrp=-96 rsrq=-10"},
        {"+C5GREG: 2,1,\"00C3A1\",\"100072000\",11", ParseHcsq, "^HCSQ: \"NR\",50,92,30",
         "99,99,255,255,255,255,60,100,70",
         "tech=NR reg=home area=50081 cell=4295434240 rsrp=-91 rsrq=-5 sinr=-1.8"},
    };
    for (const auto& c : cases) {
        RadioFacts facts;
        RadioFacts registration;
        const std::string reply = std::string(c.registration) + "\r\nOK\r\n";
        if (reply.compare(0, 7, "+C5GREG") == 0) {
            ParseC5greg(reply, &registration);
        } else {
            ParseCereg(reply, &registration);
        }
        MergeFacts(registration, &facts);
        RadioFacts family;
        if (c.family != nullptr) c.family(std::string(c.familyReply) + "\r\nOK\r\n", &family);
        MergeFacts(family, &facts);
        RadioFacts cesq;
        ParseCesq(std::string("+CESQ: ") + c.cesq + "\r\nOK\r\n", &cesq);
        MergeFacts(cesq, &facts);
        CompleteFacts(&facts);
        EXPECT_EQ(FactsSummary(facts), c.facts) << c.registration << " " << c.cesq;
    }
}

}  // namespace
