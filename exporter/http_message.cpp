#include "exporter/http_message.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

bool IsTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    for (const char* p = "!#$%&'*+-.^_`|~"; *p != '\0'; ++p) {
        if (c == *p) return true;
    }
    return false;
}

bool IsToken(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!IsTokenChar(c)) return false;
    }
    return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLetters(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return i == a.size() && b[i] == '\0';
}

std::string Trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return text.substr(begin, end - begin);
}

// The comma-separated options of a Connection header.
void ReadConnectionOptions(const std::string& value, bool* close, bool* keepAlive) {
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos) comma = value.size();
        const std::string option = Trimmed(value.substr(start, comma - start));
        if (SameLetters(option, "close")) *close = true;
        if (SameLetters(option, "keep-alive")) *keepAlive = true;
        start = comma + 1;
    }
}

// "HTTP/1.1" -> 1, 1; false when not of that shape.
bool ReadVersion(const std::string& text, int* major, int* minor) {
    if (text.size() != 8 || text.compare(0, 5, "HTTP/") != 0 || text[6] != '.') return false;
    if (text[5] < '0' || text[5] > '9' || text[7] < '0' || text[7] > '9') return false;
    *major = text[5] - '0';
    *minor = text[7] - '0';
    return true;
}

// The path of an origin-form ("/metrics?x") or absolute-form ("http://host/metrics") target.
bool TargetPath(const std::string& target, std::string* path) {
    for (char c : target) {
        if (c <= ' ' || c == 0x7f) return false;
    }
    std::string rest = target;
    const size_t scheme = target.find("://");
    if (scheme != std::string::npos && (SameLetters(target.substr(0, scheme), "http") ||
                                        SameLetters(target.substr(0, scheme), "https"))) {
        const size_t slash = target.find('/', scheme + 3);
        rest = slash == std::string::npos ? "/" : target.substr(slash);
    }
    if (rest.empty() || rest[0] != '/') return false;
    *path = rest.substr(0, rest.find('?'));
    return true;
}

bool ReadRequestLine(const std::string& line, HttpRequestHead* head, int* status) {
    *status = 400;
    const size_t first = line.find(' ');
    if (first == std::string::npos) return false;
    const size_t second = line.find(' ', first + 1);
    if (second == std::string::npos || line.find(' ', second + 1) != std::string::npos) return false;
    head->method = line.substr(0, first);
    int major = 0, minor = 0;
    if (!IsToken(head->method) || !TargetPath(line.substr(first + 1, second - first - 1), &head->path) ||
        !ReadVersion(line.substr(second + 1), &major, &minor)) {
        return false;
    }
    if (major != 1) {
        *status = 505;
        return false;
    }
    head->http10 = minor == 0;
    return true;
}

struct HeaderFacts {
    int hosts = 0;
    bool close = false, keepAlive = false, transferCoding = false;
    bool hasLength = false;
    unsigned long long length = 0;
};

bool ReadHeaderLine(const std::string& line, HeaderFacts* facts) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    const std::string name = line.substr(0, colon);   // a blank before the colon is refused
    if (!IsToken(name)) return false;
    const std::string value = Trimmed(line.substr(colon + 1));
    for (char c : value) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) return false;
    }
    if (SameLetters(name, "host")) {
        ++facts->hosts;
    } else if (SameLetters(name, "connection")) {
        ReadConnectionOptions(value, &facts->close, &facts->keepAlive);
    } else if (SameLetters(name, "transfer-encoding")) {
        facts->transferCoding = true;
    } else if (SameLetters(name, "content-length")) {
        if (value.empty() || value.size() > 18 || value.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        const unsigned long long length = std::stoull(value);
        if (facts->hasLength && length != facts->length) return false;
        facts->hasLength = true;
        facts->length = length;
    }
    return true;
}

const char* Reason(int status) {
    switch (status) {
        case 200: return "OK";
        case 400: return "Bad Request";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 408: return "Request Timeout";
        case 431: return "Request Header Fields Too Large";
        case 500: return "Internal Server Error";
        case 503: return "Service Unavailable";
        case 505: return "HTTP Version Not Supported";
        default: return "Unknown";
    }
}

// The IMF-fixdate of now, in English whatever the locale.
std::string HttpDate() {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[utc.tm_wday % 7], utc.tm_mday,
                  kMonths[utc.tm_mon % 12], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

}  // namespace

HeadRead ReadRequestHead(const char* data, size_t size, size_t maxBytes, HttpRequestHead* head, size_t* used,
                         int* status) {
    size_t at = 0;
    while (at < size && (data[at] == '\r' || data[at] == '\n')) ++at;   // between pipelined requests
    std::vector<std::string> lines;
    for (;;) {
        const void* found = at < size ? std::memchr(data + at, '\n', size - at) : nullptr;
        if (found == nullptr) {
            if (size >= maxBytes) {
                *status = 431;
                return HeadRead::Refused;
            }
            return HeadRead::Incomplete;
        }
        const size_t end = static_cast<size_t>(static_cast<const char*>(found) - data);
        if (end + 1 > maxBytes) {
            *status = 431;
            return HeadRead::Refused;
        }
        std::string line(data + at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        at = end + 1;
        if (line.empty()) break;
        lines.push_back(std::move(line));
    }
    *used = at;
    *head = HttpRequestHead();
    if (lines.empty() || !ReadRequestLine(lines[0], head, status)) {
        if (lines.empty()) *status = 400;
        return HeadRead::Refused;
    }
    *status = 400;
    HeaderFacts facts;
    for (size_t i = 1; i < lines.size(); ++i) {
        // A folded line (starting with a blank) is obsolete and would be read two ways.
        if (lines[i][0] == ' ' || lines[i][0] == '\t' || !ReadHeaderLine(lines[i], &facts)) return HeadRead::Refused;
    }
    if ((!head->http10 && facts.hosts != 1) || facts.hosts > 1) return HeadRead::Refused;
    if (facts.transferCoding && (facts.hasLength || head->http10)) return HeadRead::Refused;
    head->hasBody = facts.transferCoding || facts.length > 0;
    head->keepAlive = head->http10 ? facts.keepAlive && !facts.close : !facts.close;
    return HeadRead::Complete;
}

std::string ResponseBytes(const HttpResponse& response, bool headOnly, bool close, bool http10KeepAlive) {
    std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) +
                      "\r\nDate: " + HttpDate() + "\r\n";
    if (!response.contentType.empty()) out += "Content-Type: " + response.contentType + "\r\n";
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    for (const auto& header : response.headers) out += header.first + ": " + header.second + "\r\n";
    if (close) {
        out += "Connection: close\r\n";
    } else if (http10KeepAlive) {
        out += "Connection: keep-alive\r\n";
    }
    out += "\r\n";
    if (!headOnly) out += response.body;
    return out;
}

HttpResponse ServerAnswer(int status) {
    HttpResponse answer;
    answer.status = status;
    answer.contentType = "text/plain; charset=utf-8";
    switch (status) {
        case 408: answer.body = "the request did not arrive in time\n"; break;
        case 431: answer.body = "request line and headers too long\n"; break;
        case 503:
            answer.body = "busy, try again\n";
            answer.headers.emplace_back("Retry-After", "1");
            break;
        case 505: answer.body = "only HTTP/1.x\n"; break;
        default: answer.body = "malformed request\n";
    }
    return answer;
}
