#pragma once
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace nbparticle {

// Decides whether the studio answers a request at all. A page of another site
// may make the browser send requests to the studio, directly or through a DNS
// name that it points at the local address: the Host must name the address
// the studio listens on (or a loopback name), an Origin, when sent, must be
// the studio's own, and a browser that marks the request as cross-site is
// refused. Requests beyond a steady rate (with a burst allowance) are refused
// too, so that a flood cannot keep the studio busy. Thread-safe.
class RequestGuard {
public:
    // listen: the address the server is bound to; port: its port.
    RequestGuard(const std::string& listen, int port);

    // Limits the rate: ratePerSecond on average, burst at once.
    void SetRate(double ratePerSecond, double burst);

    // "" when the request may be answered; else why not.
    std::string Refusal(const std::string& host, const std::string& origin, const std::string& fetchSite) const;
    // Takes one request from the rate allowance; false when none is left.
    bool Admit();

private:
    bool AllowedHost(const std::string& hostAndPort) const;

    std::vector<std::string> m_names;   // the host names accepted
    bool m_anyAddress;                  // listening on every address: any IP literal
    std::string m_port;
    std::mutex m_mutex;
    double m_rate = 200.0, m_burst = 400.0, m_tokens = 400.0;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

} // namespace nbparticle
