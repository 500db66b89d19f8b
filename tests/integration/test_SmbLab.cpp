// Runs inside the client namespace of the Samba lab (tests/lab/smblab.sh exec), which exports
// what the lab holds: LAB_SERVERS ("NAME=ADDRESS ..."), LAB_WORKGROUPS, LAB_SHARES ("NAME:share").
#include "neighbourhood/NameLookup.h"
#include "neighbourhood/smb/SmbProvider.h"
#include "logic/computers/clsNetwork.h"
#include "platform/posix/PosixComputer.h"
#include "logic/computers/modIP.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/FakePlatform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace {

std::vector<std::string> Words(const char* variable) {
    const char* value = std::getenv(variable);
    std::istringstream stream(value != nullptr ? value : "");
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

std::map<std::string, std::string> LabServers() {
    std::map<std::string, std::string> servers;
    for (const std::string& pair : Words("LAB_SERVERS")) {
        servers[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
    }
    return servers;
}

std::set<std::string> Split(const std::string& list) {
    std::set<std::string> names;
    std::istringstream stream(list);
    for (std::string name; std::getline(stream, name, '|');) {
        names.insert(name);
    }
    return names;
}

// What the reference client sees: workgroups, "\\SERVER" and "\\SERVER\share" names.
struct Tree {
    std::set<std::string> workgroups, servers, shares;
};

std::string TrimRight(const std::string& text) {
    const auto end = text.find_last_not_of(" \t\r\n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

Tree ReferenceTree() {
    Tree tree;
    FILE* pipe = popen("smbtree -U guest% 2>/dev/null", "r");
    if (pipe == nullptr) {
        return tree;
    }
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const std::string text(line);
        const auto tabs = text.find_first_not_of('\t');
        if (tabs == std::string::npos) {
            continue;
        }
        // Names are padded with blanks and followed by a tab and a comment.
        const std::string name = TrimRight(text.substr(tabs, text.find('\t', tabs) - tabs));
        if (tabs == 0 && name.find_first_of(" :") == std::string::npos) {
            tree.workgroups.insert(name);
        } else if (tabs == 1 && name.rfind("\\\\", 0) == 0) {
            tree.servers.insert(name);
        } else if (tabs == 2 && name.rfind("\\\\", 0) == 0 &&
                   (name.size() < 5 || name.substr(name.size() - 5) != "\\IPC$")) {
            tree.shares.insert(name);
        }
    }
    pclose(pipe);
    return tree;
}

class SmbLab : public ::testing::Test {
protected:
    void SetUp() override {
        if (LabServers().empty()) {
            GTEST_SKIP() << "not inside the Samba lab";
        }
    }
};

} // namespace

TEST_F(SmbLab, TheEnumeratorSeesWhatTheReferenceClientSees) {
    const neighbourhood::DiscoveredHosts nothingDiscovered;
    neighbourhood::NameLookup sockets(nothingDiscovered);
    neighbourhood::SmbProvider provider(sockets);
    platform::posix::PosixComputer names;
    clsNetwork network(provider, names);
    network.SetResourceType(platform::net::kTypeAny);
    network.Reset();

    std::set<std::string> expectedServers;
    for (const auto& [name, address] : LabServers()) {
        expectedServers.insert("\\\\" + name);
    }
    const Tree reference = ReferenceTree();
    EXPECT_EQ(Split(network.GetServerList()), expectedServers);
    EXPECT_EQ(Split(network.GetServerList()), reference.servers);
    const auto workgroups = Words("LAB_WORKGROUPS");
    EXPECT_EQ(Split(network.GetDomainList()),
              std::set<std::string>(workgroups.begin(), workgroups.end()));
    EXPECT_EQ(Split(network.GetDomainList()), reference.workgroups);
    EXPECT_EQ(network.GetNetworkList(), "SMB Network|");

    std::set<std::string> shares = Split(network.GetShareList());
    for (const std::string& admin : Split(network.GetShareAdminList())) {
        shares.insert(admin);
    }
    // The reference client speaks SMB1 only and misses the shares of servers that refuse it;
    // the enumerator lists those over SMB2 or 3.
    std::set<std::string> expectedShares = reference.shares;
    for (const std::string& share : Words("LAB_SHARES")) {
        expectedShares.insert("\\\\" + share.substr(0, share.find(':')) + "\\" +
                              share.substr(share.find(':') + 1));
    }
    EXPECT_EQ(shares, expectedShares);
    EXPECT_FALSE(network.GetLocalMachineName().empty());
}

TEST_F(SmbLab, EveryServerNameResolvesToItsServer) {
    const neighbourhood::DiscoveredHosts nothingDiscovered;
    neighbourhood::NameLookup sockets(nothingDiscovered);
    fakes::Messages messages;
    for (const auto& [name, address] : LabServers()) {
        EXPECT_EQ(modIP::ResolveHostAddress(sockets, messages, name), address) << name;
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(modIP::ResolveHostAddress(sockets, messages, "NOSUCHHOST"), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SmbLab, AServerThatIsDownCostsTheProbeNotTheLibrarysTimeOuts) {
    // An address in the lab's subnet where no host answers.
    std::istringstream first(LabServers().begin()->second);
    std::vector<std::uint8_t> address;
    for (std::string byte; std::getline(first, byte, '.');) {
        address.push_back(static_cast<std::uint8_t>(std::stoi(byte)));
    }
    ASSERT_EQ(address.size(), 4u);
    address[3] = 99;
    fakes::Resolver resolver;
    resolver.add("DEADHOST", address);
    neighbourhood::SmbProvider provider(resolver, std::chrono::milliseconds(1000));
    platform::NetResource dead =
        fakes::Resource(platform::net::kDisplayServer, "\\\\DEADHOST", true);
    dead.provider = neighbourhood::SmbProvider::kProviderName;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(provider.open(platform::net::kScopeGlobalNet, 0, 0, &dead));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}
