// HTTP/1.1 messages as the exporter's server reads and writes them: a request's head (request
// line and headers, never a body) and a whole answer. Strict where leniency would let a
// request be read two ways (RFC 9112): a malformed line, a header name with blanks before its
// colon, folded lines, two different lengths, a length beside a transfer coding.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct HttpResponse {
    int status = 200;
    std::string contentType;
    std::string body;   // sent for every method but HEAD, which gets its length alone
    std::vector<std::pair<std::string, std::string>> headers;   // besides the ones the server writes
};

struct HttpRequestHead {
    std::string method;     // as sent, case kept (methods are case-sensitive)
    std::string path;       // the target's path, without its query
    bool http10 = false;
    bool keepAlive = false; // the client asked (1.0) or did not refuse (1.1)
    bool hasBody = false;   // a length above 0 or a transfer coding: the body is never read
};

enum class HeadRead { Incomplete, Complete, Refused };

// Reads one head at the start of `data` (empty lines before it are skipped, lines may end in
// LF alone). Complete: `*used` bytes make the head. Refused: `*status` says why (400; 431 when
// `maxBytes` pass without the head's end; 505 for another major version). Incomplete: more
// bytes are needed.
HeadRead ReadRequestHead(const char* data, size_t size, size_t maxBytes, HttpRequestHead* head, size_t* used,
                         int* status);

// The whole answer: status line, Date, Content-Type, Content-Length, the response's own
// headers, Connection when it ends the connection or keeps a 1.0 one, and the body unless
// `headOnly`.
std::string ResponseBytes(const HttpResponse& response, bool headOnly, bool close, bool http10KeepAlive);

// A short plain-text answer of the server's own (400, 408, 431, 503, 505), closing.
HttpResponse ServerAnswer(int status);
