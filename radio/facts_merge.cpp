#include "radio/radio_facts.h"

namespace {

void MergeInt(const KnownInt& from, KnownInt* into) {
    if (!into->known && from.known) *into = from;
}

}  // namespace

void MergeFacts(const RadioFacts& from, RadioFacts* into) {
    if (into->tech == RadioTech::Unknown && from.tech != RadioTech::Unknown) {
        into->tech = from.tech;
        into->techSource = from.techSource;
    }
    if (into->registration == Registration::Unknown && from.registration != Registration::Unknown) {
        into->registration = from.registration;
        into->registrationSource = from.registrationSource;
    }
    if (into->absence == Absence::None) into->absence = from.absence;
    const bool operatorKnown = !into->operatorName.empty() || !into->operatorNumeric.empty();
    if (into->operatorName.empty()) into->operatorName = from.operatorName;
    if (into->operatorNumeric.empty()) into->operatorNumeric = from.operatorNumeric;
    if (!operatorKnown) into->operatorSource = from.operatorSource;

    const bool channelKnown = into->channel.known || into->band.known || into->pci.known;
    MergeInt(from.band, &into->band);
    MergeInt(from.pci, &into->pci);
    if (!into->channel.known && from.channel.known) {
        into->channel = from.channel;
        into->channelKind = from.channelKind;
    }
    if (!channelKnown) into->channelSource = from.channelSource;

    const bool cellKnown = into->cellId.known || into->area.known;
    MergeInt(from.area, &into->area);
    MergeInt(from.cellId, &into->cellId);
    if (!cellKnown) into->cellSource = from.cellSource;

    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        if (!into->metrics[i].known && from.metrics[i].known) into->metrics[i] = from.metrics[i];
    }
}
