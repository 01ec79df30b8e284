#include "radio/radio_facts.h"

#include <algorithm>

#include "radio/lte_bands.h"
#include "radio/nr_bands.h"

namespace {

void MergeInt(const KnownInt& from, KnownInt* into) {
    if (!into->known && from.known) *into = from;
}

void MergeMetrics(const Metric* from, Metric* into) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        if (!into[i].known && from[i].known) into[i] = from[i];
    }
}

void Stamp(KnownInt* value, const char* command) {
    if (value->known && value->source == nullptr) value->source = command;
}

void StampMetrics(Metric* metrics, const char* command) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        if (metrics[i].known && metrics[i].source == nullptr) metrics[i].source = command;
    }
}

// The band of a channel the modem gave without one.
void BandFromChannel(const KnownInt& channel, bool nr, KnownInt* band) {
    if (band->known || !channel.known) return;
    const int found = nr ? NrBandFromArfcn(channel.value) : BandFromEarfcn(channel.value);
    if (found != 0) *band = {true, found, channel.source};
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
    MergeInt(from.bandwidthKhz, &into->bandwidthKhz);
    MergeInt(from.area, &into->area);
    MergeInt(from.cellId, &into->cellId);
    MergeMetrics(from.metrics, into->metrics);
    MergeInt(from.nr.band, &into->nr.band);
    MergeInt(from.nr.channel, &into->nr.channel);
    MergeInt(from.nr.pci, &into->nr.pci);
    MergeInt(from.nr.bandwidthKhz, &into->nr.bandwidthKhz);
    MergeMetrics(from.nr.metrics.values, into->nr.metrics.values);
    if (!into->carriersKnown && from.carriersKnown) {
        into->carriers = from.carriers;
        into->carriersKnown = true;
        into->carriersSource = from.carriersSource;
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
    Stamp(&facts->bandwidthKhz, command);
    Stamp(&facts->area, command);
    Stamp(&facts->cellId, command);
    StampMetrics(facts->metrics, command);
    Stamp(&facts->nr.band, command);
    Stamp(&facts->nr.channel, command);
    Stamp(&facts->nr.pci, command);
    Stamp(&facts->nr.bandwidthKhz, command);
    StampMetrics(facts->nr.metrics.values, command);
    if (facts->carriersKnown && facts->carriersSource == nullptr) facts->carriersSource = command;
}

void CompleteFacts(RadioFacts* facts) {
    if (facts->channelKind == ChannelKind::Earfcn || facts->channelKind == ChannelKind::NrArfcn) {
        BandFromChannel(facts->channel, facts->channelKind == ChannelKind::NrArfcn, &facts->band);
    }
    if (facts->tech == RadioTech::Lte && facts->nrLeg) facts->tech = RadioTech::LteNr;
    if (facts->tech == RadioTech::Nr5g) {
        // Standalone NR: the serving cell is NR. A figure no family gave comes from +CESQ's NR
        // fields (read into the leg); UMTS figures have no place.
        for (MetricKind kind : {MetricKind::Rsrp, MetricKind::Rsrq, MetricKind::Sinr}) {
            if (!facts->Get(kind).known) facts->Get(kind) = facts->nr.metrics.Get(kind);
        }
        facts->Get(MetricKind::Rscp) = Metric{};
        facts->Get(MetricKind::Ecno) = Metric{};
    }
    if (facts->tech == RadioTech::LteNr) {
        BandFromChannel(facts->nr.channel, true, &facts->nr.band);
    } else {
        facts->nr = NrLeg{};
    }
    for (Carrier& carrier : facts->carriers) {
        BandFromChannel(carrier.channel, carrier.tech == RadioTech::Nr5g, &carrier.band);
    }
    std::stable_sort(facts->carriers.begin(), facts->carriers.end(),
                     [](const Carrier& a, const Carrier& b) { return a.primary && !b.primary; });
}
