#include "radio/radio_session.h"

#include <cstdio>
#include <cstring>

#include "link/transact.h"
#include "radio/radio_families.h"
#include "radio/reply_parsers.h"

namespace {

struct RegistrationCommand {
    const char* read;    // "AT+CEREG?"
    const char* base;    // "AT+CEREG", for the set command
    const char* prefix;  // "+CEREG"
    ReplyParser parse;
};

// 5GS first (only it tells a standalone NR module's registration), then EPS (an LTE stick),
// then packet and circuit switched (a 3G stick has no +CEREG). The first that says registered
// is the reading's.
const RegistrationCommand kRegistrations[] = {
    {"AT+C5GREG?", "AT+C5GREG", "+C5GREG", ParseC5greg},
    {"AT+CEREG?", "AT+CEREG", "+CEREG", ParseCereg},
    {"AT+CGREG?", "AT+CGREG", "+CGREG", ParseCgreg},
    {"AT+CREG?", "AT+CREG", "+CREG", ParseCreg},
};

// How often a setting is tried to be put back on a modem that stopped answering.
constexpr int kPutBackTries = 3;

bool Registered(Registration registration) {
    return registration == Registration::Home || registration == Registration::Roaming;
}

bool AnyCellularMetric(const Metric* metrics) {
    for (MetricKind kind : {MetricKind::Rsrp, MetricKind::Rscp, MetricKind::Rsrq}) {
        if (metrics[static_cast<int>(kind)].known) return true;
    }
    return false;
}

// Any figure of the serving cell, or of the NR leg (+CESQ's NR fields land there before the
// reading's end makes them the standalone cell's).
bool AnyMetric(const RadioFacts& facts) {
    for (int i = 0; i < static_cast<int>(MetricKind::Count); ++i) {
        if (facts.metrics[i].known || facts.nr.metrics.values[i].known) return true;
    }
    return false;
}

// The strongest reason first: without a SIM nothing else matters.
int AbsenceRank(Absence absence) {
    switch (absence) {
        case Absence::NoSim: return 6;
        case Absence::PinRequired: return 5;
        case Absence::RadioOff: return 4;
        case Absence::Denied: return 3;
        case Absence::Searching: return 2;
        case Absence::NotRegistered: return 1;
        case Absence::None: break;
    }
    return 0;
}

// A parser's facts, each named as coming from `command`.
bool ParseFrom(ReplyParser parse, std::string_view reply, const char* command, RadioFacts* facts) {
    const bool recognised = parse(reply, facts);
    StampSources(facts, command);
    return recognised;
}

void RaiseAbsence(Absence absence, RadioFacts* facts) {
    if (AbsenceRank(absence) > AbsenceRank(facts->absence)) facts->absence = absence;
}

}  // namespace

RadioSession::RadioSession(PortHandle port) : port_(port), reply_(new char[kReplyCapacity + 1]) {
    reply_[0] = '\0';
}

RadioSession::~RadioSession() = default;

void RadioSession::ReaderBody(void* context) { static_cast<RadioSession*>(context)->ReadReply(); }

// Reads until the final result code, a silence longer than the port's read end, or the
// caller's time limit (which cancels the read). A modem that pauses inside its reply is
// waited for, so its tail never lands in the next command's reply.
void RadioSession::ReadReply() {
    char scratch[1024];
    for (;;) {
        uint32_t count = 0;
        if (received_ < kReplyCapacity) {
            count = ReadPort(port_, reply_.get() + received_, kReplyCapacity - received_);
            received_ += count;
            if (count != 0 && FinalResultOf(std::string_view(reply_.get(), received_)) != FinalResult::None) break;
        } else {
            // Past the buffer the reply is read to its end and dropped.
            overflowed_ = true;
            count = ReadPort(port_, scratch, sizeof scratch);
            if (count != 0 && FinalResultOf(std::string_view(scratch, count)) != FinalResult::None) break;
        }
        if (count == 0 || PortFailed(port_)) break;
    }
    reply_[received_] = '\0';
}

RadioSession::Reply RadioSession::Ask(const char* command) {
    received_ = 0;
    overflowed_ = false;
    reply_[0] = '\0';
    Reply reply;
    if (port_ == nullptr || PortFailed(port_)) return reply;
    char line[kCommandBufferSize];
    std::snprintf(line, sizeof line, "%.*s\r", static_cast<int>(kMaxCommandLength), command);
    if (observer_ != nullptr) observer_(command, observerContext_);
    DrainPort(port_);
    WritePort(port_, line, static_cast<uint32_t>(std::strlen(line)));
    uint32_t threadId = 0;
    ReaderThread* reader = StartReader(&RadioSession::ReaderBody, this, &threadId);
    if (reader == nullptr) return reply;
    WaitReader(reader, kTimeLimitMs);
    // Joined here: nothing writes the buffer after this.
    StopReader(reader, port_);
    reply.received = received_;
    reply.text = std::string_view(reply_.get(), received_);
    reply.final = FinalResultOf(reply.text);
    return reply;
}

const char* RadioSession::ErrorText() {
    PortFailureText(port_, errorText_, sizeof errorText_);
    return errorText_;
}

bool RadioSession::Failed(const Reply& reply, const char* command, CellReading* reading) const {
    if (PortFailed(port_)) {
        reading->outcome = CellOutcome::PortFailed;
    } else if (reply.final == FinalResult::None) {
        // Nothing, or only the echo and unsolicited lines: no reply ended within the limit.
        reading->outcome = CellOutcome::NoReply;
    } else {
        return false;
    }
    reading->failedCommand = command;
    return true;
}

void RadioSession::ReadRegistration(RadioFacts* facts, StopCheck stop, CellReading* reading) {
    RadioFacts first;
    bool haveFirst = false;
    for (const RegistrationCommand& registration : kRegistrations) {
        if (stop()) return;
        const Reply reply = Ask(registration.read);
        if (Failed(reply, registration.read, reading)) return;
        RadioFacts found;
        if (reply.final == FinalResult::Error || !ParseFrom(registration.parse, reply.text, registration.read, &found)) continue;
        // Unregistered everywhere: the first that says more than "not searching" (an LTE
        // module's +C5GREG says 0 while +CEREG searches).
        if (!haveFirst || (first.registration == Registration::NotSearching &&
                           found.registration != Registration::NotSearching)) {
            first = found;
            haveFirst = true;
        }
        if (!Registered(found.registration)) continue;
        long long mode = 0;
        // Modes 0 and 1 leave the location out; 2 and up include it.
        if (!found.cellId.known && RegistrationModeOf(reply.text, registration.prefix, &mode) && mode <= 1) {
            char set[32];
            std::snprintf(set, sizeof set, "%s=2", registration.base);
            char back[32];
            std::snprintf(back, sizeof back, "%s=%lld", registration.base, mode);
            pending_[0].command = back;
            if (stop()) return;
            const Reply setReply = Ask(set);
            if (Failed(setReply, set, reading)) return;
            if (setReply.final != FinalResult::Ok) {
                pending_[0].command.clear();
            } else {
                const Reply again = Ask(registration.read);
                if (Failed(again, registration.read, reading)) return;
                RadioFacts located;
                if (ParseFrom(registration.parse, again.text, registration.read, &located)) {
                    MergeFacts(found, &located);
                    found = located;
                }
                const Reply backReply = Ask(back);
                if (Failed(backReply, back, reading)) return;
                if (backReply.final == FinalResult::Ok) pending_[0].command.clear();
            }
        }
        MergeFacts(found, facts);
        return;
    }
    if (haveFirst) MergeFacts(first, facts);
}

// The one rule that finds what a modem answers, for every reading (cell, watch, the
// exporter's reading process). Each vendor family's probe command is sent in the order of the
// rows, then +CESQ:
//  - OK with the reply's own line (a parser recognises it; unsolicited lines before, between
//    or after are read past): the modem has it, and the probe ends.
//  - a final error of any kind (ERROR, +CME ERROR, COMMAND NOT SUPPORT), or OK without the
//    line: the modem lacks it, and the next is tried. A modem that lacks every family and
//    +CESQ is "none"; one with +CESQ alone is "standard only".
//  - silence (no final result code within the time limit): nothing is decided. The probe
//    stops there with the reading's outcome NoReply, and the family stays untried, so the
//    next reading asks again. A silent modem costs one time limit, not one per family, and a
//    moment of silence is never remembered as a missing family: the exporter keeps what a
//    reading found for every later reading.
void RadioSession::Probe(RadioFacts* found, StopCheck stop, CellReading* reading) {
    int count = 0;
    const RadioFamily* families = RadioFamilies(&count);
    for (int index = 0; index <= count; ++index) {
        const bool standard = index == count;
        const char* command = standard ? StandardQueries::kCesq : families[index].queries[0].command;
        const ReplyParser parse = standard ? ParseCesq : families[index].queries[0].parse;
        if (stop()) return;
        const Reply reply = Ask(command);
        if (Failed(reply, command, reading)) return;
        RadioFacts got;
        if (reply.final == FinalResult::Ok && ParseFrom(parse, reply.text, command, &got)) {
            family_ = standard ? RadioFamilyId::StandardOnly() : RadioFamilyId::Of(&families[index]);
            *found = got;
            return;
        }
    }
    family_ = RadioFamilyId::None();
}

void RadioSession::ReadFamily(RadioFacts* facts, bool allQueries, bool repeated, StopCheck stop,
                              CellReading* reading, bool* standardAsked) {
    RadioFacts got;
    const bool probed = family_.IsUntried();
    if (probed) Probe(&got, stop, reading);
    *standardAsked = probed && (family_.IsStandardOnly() || family_.IsNone());
    const RadioFamily* family = family_.Family();
    for (int q = probed ? 1 : 0; family != nullptr && q < kMaxFamilyQueries && family->queries[q].command; ++q) {
        if (reading->outcome != CellOutcome::Read || stop() || (q > 0 && !allQueries)) break;
        const FamilyQuery& query = family->queries[q];
        const Reply reply = Ask(query.command);
        if (Failed(reply, query.command, reading)) break;
        RadioFacts more;
        if (reply.final == FinalResult::Ok) ParseFrom(query.parse, reply.text, query.command, &more);
        if (repeated && q > 0) {
            for (Metric& metric : more.metrics) metric = Metric{};
        }
        MergeFacts(more, &got);
    }
    MergeFacts(got, facts);
}

void RadioSession::ReadOperator(RadioFacts* facts, StopCheck stop, CellReading* reading) {
    if (stop()) return;
    const char* read = StandardQueries::kCops;
    const Reply reply = Ask(read);
    if (Failed(reply, read, reading)) return;
    RadioFacts found;
    ParseFrom(ParseCops, reply.text, read, &found);
    long long format = 0;
    const bool named = !facts->operatorName.empty() || !found.operatorName.empty();
    const bool numbered = !facts->operatorNumeric.empty() || !found.operatorNumeric.empty();
    if (CopsFormatOf(reply.text, &format) && !(named && numbered)) {
        // The other form: the number when the modem gave the name, the long name otherwise.
        const long long other = format == 2 ? 0 : 2;
        char set[32];
        std::snprintf(set, sizeof set, "AT+COPS=3,%lld", other);
        char back[32];
        std::snprintf(back, sizeof back, "AT+COPS=3,%lld", format);
        pending_[1].command = back;
        if (stop()) return;
        const Reply setReply = Ask(set);
        if (Failed(setReply, set, reading)) return;
        if (setReply.final != FinalResult::Ok) {
            pending_[1].command.clear();
        } else {
            const Reply again = Ask(read);
            if (Failed(again, read, reading)) return;
            RadioFacts more;
            ParseFrom(ParseCops, again.text, read, &more);
            MergeFacts(more, &found);
            const Reply backReply = Ask(back);
            if (Failed(backReply, back, reading)) return;
            if (backReply.final == FinalResult::Ok) pending_[1].command.clear();
        }
    }
    MergeFacts(found, facts);
}

void RadioSession::ReadAbsence(RadioFacts* facts, StopCheck stop, CellReading* reading) {
    if (Registered(facts->registration)) {
        facts->absence = Absence::None;
        return;
    }
    switch (facts->registration) {
        case Registration::NotSearching: RaiseAbsence(Absence::NotRegistered, facts); break;
        case Registration::Searching: RaiseAbsence(Absence::Searching, facts); break;
        case Registration::Denied: RaiseAbsence(Absence::Denied, facts); break;
        default: break;
    }
    for (const char* command : {StandardQueries::kCfun, StandardQueries::kCpin}) {
        if (stop()) return;
        const Reply reply = Ask(command);
        if (Failed(reply, command, reading)) return;
        RadioFacts found;
        if (command == StandardQueries::kCfun) {
            ParseCfun(reply.text, &found);
        } else {
            ParseCpin(reply.text, &found);
        }
        RaiseAbsence(found.absence, facts);
    }
}

void RadioSession::PutBack(CellReading* reading) {
    for (int i = 1; i >= 0; --i) {
        std::string& command = pending_[i].command;
        for (int attempt = 0; attempt < kPutBackTries && !command.empty() && !PortFailed(port_); ++attempt) {
            const Reply reply = Ask(command.c_str());
            if (reply.final == FinalResult::Ok) command.clear();
            // A refusal will not change on a second try; silence may.
            if (reply.final != FinalResult::None) break;
        }
        if (command.empty()) continue;
        if (!reading->notRestored.empty()) reading->notRestored += "; ";
        reading->notRestored += command;
        command.clear();
    }
}

CellReading RadioSession::ReadCell(RadioFacts* out, StopCheck stop) {
    CellReading reading;
    RadioFacts facts;
    const auto going = [&] { return reading.outcome == CellOutcome::Read && !stop(); };
    ReadRegistration(&facts, stop, &reading);
    bool standardAsked = false;
    if (going()) ReadFamily(&facts, true, false, stop, &reading, &standardAsked);
    // A family's figures win over +CESQ's: it is read only when no family gave the serving
    // cell's figures, or an NR leg's where the family named the leg without them.
    const bool legWithoutFigures = facts.nrLeg && !AnyCellularMetric(facts.nr.metrics.values);
    const bool servingFigures = AnyCellularMetric(facts.metrics);
    if (going() && (!servingFigures || legWithoutFigures) && !standardAsked) {
        const Reply reply = Ask(StandardQueries::kCesq);
        if (!Failed(reply, StandardQueries::kCesq, &reading)) {
            RadioFacts found;
            if (reply.final != FinalResult::Error) ParseFrom(ParseCesq, reply.text, StandardQueries::kCesq, &found);
            if (servingFigures) {
                for (Metric& metric : found.metrics) metric = Metric{};
            }
            MergeFacts(found, &facts);
        }
    }
    if (going() && !AnyMetric(facts)) {
        const Reply reply = Ask(StandardQueries::kCsq);
        if (!Failed(reply, StandardQueries::kCsq, &reading)) {
            RadioFacts found;
            ParseFrom(ParseCsq, reply.text, StandardQueries::kCsq, &found);
            MergeFacts(found, &facts);
        }
    }
    if (going()) ReadOperator(&facts, stop, &reading);
    if (going()) ReadAbsence(&facts, stop, &reading);
    PutBack(&reading);
    if (reading.outcome == CellOutcome::Read && stop()) reading.outcome = CellOutcome::Stopped;
    CompleteFacts(&facts);
    *out = facts;
    return reading;
}

CellReading RadioSession::ReadFamilySignal(RadioFacts* out, SignalScope scope, StopCheck stop) {
    CellReading reading;
    RadioFacts facts;
    bool standardAsked = false;
    ReadFamily(&facts, scope.allFamilyQueries, true, stop, &reading, &standardAsked);
    if (family_.IsStandardOnly() && !scope.standard) facts = RadioFacts{};
    if (family_.IsStandardOnly() && scope.standard && reading.outcome == CellOutcome::Read) {
        for (const char* command : {StandardQueries::kCesq, StandardQueries::kCops}) {
            if (command == StandardQueries::kCesq && standardAsked) continue;
            if (stop()) break;
            const Reply reply = Ask(command);
            if (Failed(reply, command, &reading)) break;
            RadioFacts found;
            if (reply.final == FinalResult::Ok) {
                ParseFrom(command == StandardQueries::kCesq ? ParseCesq : ParseCops, reply.text, command, &found);
            }
            MergeFacts(found, &facts);
        }
    }
    if (reading.outcome == CellOutcome::Read && stop()) reading.outcome = CellOutcome::Stopped;
    CompleteFacts(&facts);
    *out = facts;
    return reading;
}
