// Writes the starting corpora of the fuzz targets from the modem profiles of the repository,
// so the fuzzers begin from the replies real tests use rather than from nothing:
//   fuzz_seed_maker OUT_DIR PROFILE...
// OUT_DIR/<target>/ receives one file per seed, named by a hash of its content.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "link/answer.h"
#include "link/transact.h"
#include "tools/modemsim/profile.h"

namespace {

constexpr size_t kMaxSeedBytes = 4096;

// Every prefix the information run looks up; "" is the first-line extraction.
const char* const kPrefixes[] = {"", "Manufacturer", "Model", "Revision", "IMEI", "+GCAP", "^FHVER",
                                 "^HWVER", "^SYSINFO", "+CPIN", "+CFUN", "+CSQ", "+COPS", "^SYSCFG",
                                 "^VERSION:BDT", "^VERSION:EXTD", "^CARDLOCK"};

// Decoder prefixes in the order of the decoder fuzzer's selector.
const char* const kDecoderPrefixes[] = {"^SYSINFO", "+CFUN", "+CSQ", "+COPS", "^SYSCFG", "^CARDLOCK"};

const char* const kEntries[] = {
    "E173 (COM5)", "", "E1550 (COM12)", " (COM5)", "AT+CGMM (COM7)", "ERROR (COM254)",
    "A(COM3) (COM4)", "Model) x (COM9)", "(COM", "(COM)", "E173 (COM5", "\\\\.\\COM5",
    "X (COM5)", "X (COM5) (COM14)", "(COM3) (COM9)",
};

class SeedWriter {
public:
    explicit SeedWriter(std::string dir) : dir_(std::move(dir)) { mkdir(dir_.c_str(), 0777); }

    bool Write(const std::string& bytes) {
        const std::string content = bytes.substr(0, kMaxSeedBytes);
        uint64_t hash = 1469598103934665603ULL;   // FNV-1a
        for (unsigned char c : content) hash = (hash ^ c) * 1099511628211ULL;
        char name[32];
        std::snprintf(name, sizeof name, "/%016llx", static_cast<unsigned long long>(hash));
        std::ofstream out(dir_ + name, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        return static_cast<bool>(out);
    }

private:
    std::string dir_;
};

void SetReply(const std::string& reply) {
    std::memset(ReplyBuffer, 0, kReplyCapacity);
    std::memcpy(ReplyBuffer, reply.data(), reply.size() < kReplyCapacity ? reply.size() : kReplyCapacity);
}

// The prefixes the radio facts' parsers read; a reply with one of them seeds the radio target.
const char* const kRadioPrefixes[] = {"+COPS",  "+CESQ",      "+CSQ",       "+C5GREG", "+CEREG", "+CGREG",
                                      "+CREG",  "+CPIN",      "+CFUN",      "^HCSQ",   "^SYSINFOEX",
                                      "^HFREQINFO", "^MONSC", "+QENG",      "+QCAINFO", "+CPSI"};

SeedWriter* RadioSeeds = nullptr;

bool WriteReplySeeds(const std::string& reply, SeedWriter* extract, SeedWriter* decoder) {
    bool ok = true;
    for (const char* prefix : kRadioPrefixes) {
        if (RadioSeeds != nullptr && reply.find(prefix) != std::string::npos) {
            ok &= RadioSeeds->Write(reply);
            break;
        }
    }
    const std::string text = reply.substr(0, reply.find('\0'));
    for (const char* prefix : kPrefixes) {
        if (prefix[0] != '\0' && text.find(prefix) == std::string::npos) continue;
        // Placed in row 1; no padding.
        ok &= extract->Write(std::string("\x09\x00\x20", 3) + prefix + std::string(1, '\0') + reply);
    }
    for (size_t d = 0; d < sizeof kDecoderPrefixes / sizeof kDecoderPrefixes[0]; ++d) {
        if (text.find(kDecoderPrefixes[d]) == std::string::npos) continue;
        ok &= decoder->Write(std::string(1, static_cast<char>('8' + d)) + reply);
        SetReply(reply);
        if (ExtractAnswer(kDecoderPrefixes[d], -1, false) && AnswerBuffer[0] != '\0')
            ok &= decoder->Write(std::string(1, static_cast<char>('0' + d)) + AnswerBuffer);
    }
    return ok;
}

bool ReadFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    *text = content.str();
    return static_cast<bool>(in);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_seed_maker OUT_DIR PROFILE...\n");
        return 2;
    }
    const std::string out = argv[1];
    mkdir(out.c_str(), 0777);
    SeedWriter extract(out + "/extract_answer");
    SeedWriter decoder(out + "/decoder");
    SeedWriter portPath(out + "/port_path");
    SeedWriter profiles(out + "/profile");
    SeedWriter radio(out + "/radio");
    RadioSeeds = &radio;
    bool ok = true;

    // Replies at the buffer's bound: a first line filling all of it, and one behind a prefix.
    ok &= extract.Write(std::string("\x02\x0f\x41", 3));
    ok &= extract.Write(std::string("\x0b\x00\x20+CSQ", 7) + std::string(1, '\0') + "+CSQ: 17,99\r\n");
    ok &= extract.Write(std::string("\x0b\x10\x20+CSQ", 7) + std::string(1, '\0') + "+CSQ: 17,99\r\n");

    for (const char* entry : kEntries) {
        ok &= portPath.Write(std::string("\x00\x00\x00", 3) + entry);
        ok &= portPath.Write(std::string("\x01\x00\x04", 3) + entry);
    }
    ok &= portPath.Write(std::string("\x01\x00\xfd", 3) + std::string(300, 'M'));
    ok &= portPath.Write(std::string("\x00\x05\x00", 3) + "E173 (COM5)");

    for (int i = 2; i < argc; ++i) {
        std::string text;
        std::string error;
        Profile profile;
        if (!ReadFile(argv[i], &text) || !ParseProfile(text, argv[i], &profile, &error)) {
            std::fprintf(stderr, "fuzz_seed_maker: %s\n", error.empty() ? argv[i] : error.c_str());
            return 1;
        }
        ok &= profiles.Write(text);
        for (const auto& rule : profile.rules) {
            const std::string reply = rule.second.Bytes();
            ok &= WriteReplySeeds(reply, &extract, &decoder);
            // With echo on, the command line comes first.
            if (profile.echo != EchoMode::Off) ok &= WriteReplySeeds(rule.first + "\r" + reply, &extract, &decoder);
        }
        ok &= WriteReplySeeds(profile.defaultReply.Bytes(), &extract, &decoder);
    }
    if (!ok) {
        std::fprintf(stderr, "fuzz_seed_maker: cannot write seeds under %s\n", out.c_str());
        return 1;
    }
    return 0;
}
