#pragma once
// What switcher-net.sh tells the command it runs: the namespace, the PC's
// address and the simulated switchers. InPrivateNamespace() is the guard
// every broadcasting test checks first.
#include <sys/stat.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>

namespace privatenet {

// The identity of a namespace file, or {0, 0} when it cannot be read.
inline std::pair<dev_t, ino_t> NamespaceId(const std::string& strPath) {
    struct stat st = {};
    if (stat(strPath.c_str(), &st) != 0) return {0, 0};
    return {st.st_dev, st.st_ino};
}

// True when this process runs in the namespace that switcher-net.sh made
// and named in CORVANE_NETNS (its file under /run/netns is the same
// namespace as our own).
inline bool InPrivateNamespace() {
    const char* pszName = std::getenv("CORVANE_NETNS");
    if (!pszName || std::string(pszName).rfind("cvn", 0) != 0) return false;
    const auto self = NamespaceId("/proc/self/ns/net");
    return self.second != 0 && self == NamespaceId("/run/netns/" + std::string(pszName));
}

inline std::string PcIp() {
    const char* psz = std::getenv("CORVANE_NETNS_PC_IP");
    return psz ? psz : "";
}

// "10.200.0.11=SW-1 10.200.0.12=SW-2" -> address: name.
inline std::map<std::string, std::string> Switchers() {
    std::map<std::string, std::string> m;
    const char* psz = std::getenv("CORVANE_NETNS_SWITCHERS");
    std::istringstream in(psz ? psz : "");
    std::string item;
    while (in >> item) {
        const auto eq = item.find('=');
        if (eq != std::string::npos) m[item.substr(0, eq)] = item.substr(eq + 1);
    }
    return m;
}

}  // namespace privatenet
