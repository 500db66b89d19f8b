// Walks the neighbourhood as the main window's list fill does (the enumerator, then the address
// of every server) and prints how long it took, the names and their addresses.
//   velnor_bench_walk [smb|all]   SMB alone, or every provider (the default)
#include "neighbourhood/Neighbourhood.h"
#include "netenum/clsNetwork.h"
#include "platform/posix/PosixComputer.h"
#include "resolve/modIP.h"

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

class Silent final : public platform::MessageBox {
public:
    void show(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
};

} // namespace

int main(int argc, char* argv[]) {
    const bool smbAlone = argc > 1 && std::string(argv[1]) == "smb";
    const auto start = std::chrono::steady_clock::now();
    neighbourhood::Neighbourhood neighbourhood;
    neighbourhood::NameLookup& sockets = neighbourhood.resolver;
    platform::NetworkProvider& provider =
        smbAlone ? static_cast<platform::NetworkProvider&>(neighbourhood.smb)
                 : neighbourhood.network;
    platform::posix::PosixComputer names;
    Silent messages;
    clsNetwork network(provider, names);
    network.SetResourceType(platform::net::kTypeAny);
    try {
        network.Reset();
    } catch (const clsNetwork::NoRecords&) {
    }
    const auto walked = std::chrono::steady_clock::now();
    std::istringstream servers(network.GetServerList());
    int count = 0;
    int resolved = 0;
    for (std::string part; std::getline(servers, part, '|');) {
        if (part.size() <= 2) {
            continue;
        }
        const std::string address = modIP::ResolveHostAddress(sockets, messages, part.substr(2));
        std::printf("%s %s\n", part.substr(2).c_str(), address.c_str());
        ++count;
        resolved += address.empty() ? 0 : 1;
    }
    const auto done = std::chrono::steady_clock::now();
    using ms = std::chrono::duration<double, std::milli>;
    std::printf("servers %d resolved %d walk_ms %.1f resolve_ms %.1f total_ms %.1f\n", count,
                resolved, ms(walked - start).count(), ms(done - walked).count(),
                ms(done - start).count());
    return count > 0 ? 0 : 1;
}
