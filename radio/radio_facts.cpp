#include "radio/radio_facts.h"

const char* TechName(RadioTech tech) {
    switch (tech) {
        case RadioTech::Gsm: return "GSM";
        case RadioTech::Umts: return "UMTS";
        case RadioTech::Lte: return "LTE";
        case RadioTech::LteNr: return "LTE+NR";
        case RadioTech::Nr5g: return "NR";
        case RadioTech::Unknown: break;
    }
    return nullptr;
}

RadioTech TechNamed(std::string_view name) {
    for (RadioTech tech : {RadioTech::Gsm, RadioTech::Umts, RadioTech::Lte, RadioTech::LteNr, RadioTech::Nr5g}) {
        if (name == TechName(tech)) return tech;
    }
    return RadioTech::Unknown;
}

const char* ChannelKindName(ChannelKind kind) {
    switch (kind) {
        case ChannelKind::Earfcn: return "EARFCN";
        case ChannelKind::Uarfcn: return "UARFCN";
        case ChannelKind::Arfcn: return "ARFCN";
        case ChannelKind::NrArfcn: return "NR-ARFCN";
        case ChannelKind::None: break;
    }
    return nullptr;
}

bool OnEutran(const RadioFacts& facts) {
    return facts.tech == RadioTech::Lte || facts.tech == RadioTech::LteNr || facts.channelKind == ChannelKind::Earfcn;
}

bool HasTrackingArea(const RadioFacts& facts) { return OnEutran(facts) || facts.tech == RadioTech::Nr5g; }
