#include "exporter/exporter_routes.h"

#include "exporter/metrics_text.h"
#include "exporter/modems_json.h"
#include "exporter/status_page.h"

namespace {

// The page and its files load nothing from elsewhere, and the policy says so to the browser:
// a modem text that slipped through escaping still could not run a script or fetch a thing.
void Guarded(HttpResponse* response, const char* caching) {
    response->headers.emplace_back("Content-Security-Policy",
                                   "default-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
    response->headers.emplace_back("X-Content-Type-Options", "nosniff");
    response->headers.emplace_back("Referrer-Policy", "no-referrer");
    response->headers.emplace_back("Cache-Control", caching);
}

}  // namespace

HttpResponse ExporterAnswer(const ExporterSite& site, const std::string& method, const std::string& path) {
    HttpResponse response;
    response.contentType = "text/plain; charset=utf-8";
    const bool known = path == "/" || path == "/metrics" || path == "/api/v1/modems" || path == "/status.css" ||
                       path == "/status.js";
    if (!known) {
        response.status = 404;
        response.body = "not found\n";
    } else if (method != "GET" && method != "HEAD") {
        response.status = 405;
        response.headers.emplace_back("Allow", "GET, HEAD");
        response.body = "only GET and HEAD\n";
    } else if (path == "/metrics") {
        response.contentType = "text/plain; version=0.0.4; charset=utf-8";
        response.body = MetricsText(site.snapshot());
    } else if (path == "/api/v1/modems") {
        response.contentType = "application/json";
        response.body = ModemsJson(site.snapshot());
        Guarded(&response, "no-store");
    } else if (path == "/status.css") {
        response.contentType = "text/css; charset=utf-8";
        response.body = kStatusPageCss;
        Guarded(&response, "no-cache");
    } else if (path == "/status.js") {
        response.contentType = "text/javascript; charset=utf-8";
        response.body = kStatusPageScript;
        Guarded(&response, "no-cache");
    } else {
        response.contentType = "text/html; charset=utf-8";
        response.body = StatusPageHtml(site.snapshot(), site.intervalSeconds);
        Guarded(&response, "no-store");
    }
    return response;
}
