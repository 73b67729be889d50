#include "RequestGuard.h"

#include "TextUtil.h"

#include <arpa/inet.h>

#include <algorithm>

namespace nbparticle {
namespace {

bool IsIpLiteral(const std::string& name)
{
    unsigned char buffer[16];
    if (name.size() > 2 && name.front() == '[' && name.back() == ']')
        return ::inet_pton(AF_INET6, name.substr(1, name.size() - 2).c_str(), buffer) == 1;
    return ::inet_pton(AF_INET, name.c_str(), buffer) == 1;
}

} // namespace

RequestGuard::RequestGuard(const std::string& listen, int port)
    : m_names{"127.0.0.1", "localhost", "[::1]"},
      m_anyAddress(listen == "0.0.0.0" || listen == "::" || listen == "[::]"),
      m_port(std::to_string(port))
{
    unsigned char buffer[16];
    // An IPv6 address appears in brackets in a Host header.
    if (::inet_pton(AF_INET6, listen.c_str(), buffer) == 1)
        m_names.push_back("[" + TextUtil::Lower(listen) + "]");
    else
        m_names.push_back(TextUtil::Lower(listen));
}

void RequestGuard::SetRate(double ratePerSecond, double burst)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_rate = ratePerSecond;
    m_burst = m_tokens = burst;
}

bool RequestGuard::AllowedHost(const std::string& hostAndPort) const
{
    const size_t colon = hostAndPort.find_last_of(':');
    if (colon == std::string::npos || hostAndPort.compare(colon + 1, std::string::npos, m_port) != 0)
        return false;
    const std::string name = TextUtil::Lower(hostAndPort.substr(0, colon));
    // A DNS name other than localhost could be pointed anywhere by whoever
    // owns it; an address written out cannot.
    return std::find(m_names.begin(), m_names.end(), name) != m_names.end() || (m_anyAddress && IsIpLiteral(name));
}

std::string RequestGuard::Refusal(const std::string& host, const std::string& origin,
                                  const std::string& fetchSite) const
{
    if (!AllowedHost(host))
        return "the Host '" + host + "' is not this studio's address";
    const std::string scheme = "http://";
    if (!origin.empty() && (origin.compare(0, scheme.size(), scheme) != 0 || !AllowedHost(origin.substr(scheme.size()))))
        return "requests from '" + origin + "' are not answered";
    if (!fetchSite.empty() && fetchSite != "same-origin" && fetchSite != "none")
        return "requests from other sites are not answered";
    return "";
}

bool RequestGuard::Admit()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - m_last).count();
    m_last = now;
    m_tokens = std::min(m_burst, m_tokens + elapsed * m_rate);
    if (m_tokens < 1.0)
        return false;
    m_tokens -= 1.0;
    return true;
}

} // namespace nbparticle
