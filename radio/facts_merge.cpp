#include "radio/radio_facts.h"

#include "radio/lte_bands.h"

namespace {

void MergeInt(const KnownInt& from, KnownInt* into) {
    if (!into->known && from.known) *into = from;
}

void Stamp(KnownInt* value, const char* command) {
    if (value->known && value->source == nullptr) value->source = command;
}

}  // namespace

void MergeFacts(const RadioFacts& from, RadioFacts* into) {
    // Of two sources of one rank the first asked wins, as for every other fact.
    if (from.tech != RadioTech::Unknown && (into->tech == RadioTech::Unknown || from.techRank > into->techRank)) {
        into->tech = from.tech;
        into->techSource = from.techSource;
        into->techRank = from.techRank;
    }
    into->nrLeg = into->nrLeg || from.nrLeg;
    if (into->registration == Registration::Unknown && from.registration != Registration::Unknown) {
        into->registration = from.registration;
        into->registrationSource = from.registrationSource;
    }
    if (into->absence == Absence::None) into->absence = from.absence;
    if (into->operatorName.empty() && !from.operatorName.empty()) {
        into->operatorName = from.operatorName;
        into->operatorNameSource = from.operatorNameSource;
    }
    if (into->operatorNumeric.empty() && !from.operatorNumeric.empty()) {
        into->operatorNumeric = from.operatorNumeric;
        into->operatorNumericSource = from.operatorNumericSource;
    }
    MergeInt(from.band, &into->band);
    if (!into->channel.known && from.channel.known) {
        into->channel = from.channel;
        into->channelKind = from.channelKind;
    }
    MergeInt(from.pci, &into->pci);
    MergeInt(from.area, &into->area);
    MergeInt(from.cellId, &into->cellId);
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        if (!into->metrics[i].known && from.metrics[i].known) into->metrics[i] = from.metrics[i];
    }
}

void StampSources(RadioFacts* facts, const char* command) {
    if (facts->tech != RadioTech::Unknown && facts->techSource == nullptr) facts->techSource = command;
    if (facts->registration != Registration::Unknown && facts->registrationSource == nullptr)
        facts->registrationSource = command;
    if (!facts->operatorName.empty() && facts->operatorNameSource == nullptr) facts->operatorNameSource = command;
    if (!facts->operatorNumeric.empty() && facts->operatorNumericSource == nullptr)
        facts->operatorNumericSource = command;
    Stamp(&facts->band, command);
    Stamp(&facts->channel, command);
    Stamp(&facts->pci, command);
    Stamp(&facts->area, command);
    Stamp(&facts->cellId, command);
    for (Metric& metric : facts->metrics) {
        if (metric.known && metric.source == nullptr) metric.source = command;
    }
}

void CompleteFacts(RadioFacts* facts) {
    if (!facts->band.known && facts->channel.known && facts->channelKind == ChannelKind::Earfcn) {
        const int band = BandFromEarfcn(facts->channel.value);
        if (band != 0) facts->band = {true, band, facts->channel.source};
    }
    if (facts->tech == RadioTech::Lte && facts->nrLeg) facts->tech = RadioTech::LteNr;
    if (facts->tech == RadioTech::Nr5g) {
        for (Metric& metric : facts->metrics) metric = Metric{};
    }
}
