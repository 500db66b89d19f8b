#include "neighbourhood/smb/SmbProvider.h"

#include "neighbourhood/NetworkNames.h"
#include "neighbourhood/smb/TcpProbe.h"
#include "platform/Ipv4Address.h"

#include <libsmbclient.h>

#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace neighbourhood {

namespace {

using namespace platform::net;

// Anonymous: an empty user and password.
void AnonymousAuth(SMBCCTX*, const char*, const char*, char*, int, char* user, int userLength,
                   char* password, int passwordLength) {
    if (userLength > 0) {
        user[0] = '\0';
    }
    if (passwordLength > 0) {
        password[0] = '\0';
    }
}

} // namespace

void SmbProvider::ContextDeleter::operator()(SMBCCTX* context) const {
    smbc_free_context(context, 1);
}

namespace {

// The library ends the process when it finds no interface up at its first start (it prints
// "Could not determine network interfaces" and calls exit), so it is not started then: with
// no IPv4 interface up there is no network to browse anyway.
bool AnyIPv4InterfaceUp() {
    ifaddrs* interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) {
        return false;
    }
    bool up = false;
    for (const ifaddrs* i = interfaces; i != nullptr && !up; i = i->ifa_next) {
        up = (i->ifa_flags & IFF_UP) != 0 && i->ifa_addr != nullptr &&
             i->ifa_addr->sa_family == AF_INET;
    }
    freeifaddrs(interfaces);
    return up;
}

// A context whose messages go to standard error. The first one also reads the configuration
// and the interfaces, and the library says what it thinks of them on standard output before
// any context can be told otherwise: standard output is standard error meanwhile, since it may
// carry the program's report (nothing else writes it while the program gathers).
SMBCCTX* NewQuietContext() {
    static std::mutex starting;
    static bool started = false;
    const std::lock_guard lock(starting);
    int output = -1;
    if (!started) {
        std::fflush(stdout);
        output = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        if (output < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
            if (output >= 0) {
                close(output);
            }
            return nullptr;
        }
    }
    SMBCCTX* c = smbc_new_context();
    if (c != nullptr) {
        smbc_setOptionDebugToStderr(c, 1);
    }
    if (!started) {
        std::fflush(stdout);
        dup2(output, STDOUT_FILENO);
        close(output);
        started = true;
    }
    return c;
}

SmbProvider::Context NewContext() {
    if (!AnyIPv4InterfaceUp()) {
        return nullptr;
    }
    SmbProvider::Context context(NewQuietContext());
    if (!context) {
        return context;
    }
    SMBCCTX* c = context.get();
    smbc_setDebug(c, 0);
    smbc_setFunctionAuthDataWithContext(c, AnonymousAuth);
    smbc_setOptionUseKerberos(c, 0);
    smbc_setOptionFallbackAfterKerberos(c, 1);
    // Merge the browse lists of every master browser.
    smbc_setOptionBrowseMaxLmbCount(c, 0);
    smbc_setTimeout(c, 5000);
    if (smbc_init_context(c) == nullptr) {
        context.release();
        smbc_free_context(c, 1);
    }
    return context;
}

// Names and comments as the list may show them: cleaned and capped where they come in.
struct DirEntry {
    unsigned type;
    std::string name;
    std::string comment;
};

DirEntry Fit(unsigned type, std::string_view name, std::string_view comment) {
    const bool netbios = type == SMBC_WORKGROUP || type == SMBC_SERVER;
    return {type, CleanName(name, netbios ? SmbProvider::kMaxNetbiosNameBytes : kMaxNameBytes),
            CleanName(comment, kMaxCommentBytes)};
}

// The protocol range is a process-wide setting of the library, so it is set for each listing.
std::optional<std::vector<DirEntry>> ListDirectory(SMBCCTX* c, const std::string& url,
                                                   const char* minProtocol,
                                                   const char* maxProtocol) {
    if (c == nullptr) {
        return std::nullopt;
    }
    smbc_setOptionProtocols(c, minProtocol, maxProtocol);
    SMBCFILE* dir = smbc_getFunctionOpendir(c)(c, url.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::vector<DirEntry> entries;
    while (const smbc_dirent* entry = smbc_getFunctionReaddir(c)(c, dir)) {
        entries.push_back(Fit(entry->smbc_type,
                              std::string_view(entry->name, strnlen(entry->name, entry->namelen)),
                              entry->comment != nullptr ? entry->comment : ""));
    }
    smbc_getFunctionClosedir(c)(c, dir);
    return entries;
}

NetResource Entry(std::int32_t type, std::int32_t displayType, std::int32_t usage,
                  std::string remoteName, std::string comment) {
    NetResource resource;
    resource.scope = kScopeGlobalNet;
    resource.type = type;
    resource.displayType = displayType;
    resource.usage = usage;
    resource.remoteName = std::move(remoteName);
    resource.comment = std::move(comment);
    resource.provider = SmbProvider::kProviderName;
    return resource;
}

bool Wanted(std::int32_t shareType, std::int32_t filter) {
    return filter == kTypeAny || filter == shareType;
}

} // namespace

SmbProvider::Listing SmbProvider::List(const Request& request) {
    const NetResource* parent = request.parent;
    const std::int32_t type = request.type;
    std::optional<std::vector<NetResource>> entries;
    if (parent == nullptr) {
        // A walk begins: nothing learnt by an earlier walk is used.
        const std::lock_guard lock(library_);
        if (context_) {
            smbc_getFunctionPurgeCachedServers(context_.get())(context_.get());
        }
        entries.emplace();
        entries->push_back(Entry(kTypeAny, kDisplayNetwork, kUsageContainer, kNetworkName, ""));
    } else if (parent->provider.value_or("") != kProviderName || !parent->remoteName) {
        return std::nullopt;
    } else if (parent->displayType == kDisplayNetwork) {
        // The browse list exists only in SMB1.
        const std::lock_guard lock(library_);
        if (const auto workgroups = ListDirectory(Library(), "smb://", "NT1", "NT1")) {
            entries.emplace();
            for (const DirEntry& found : *workgroups) {
                if (found.type == SMBC_WORKGROUP) {
                    entries->push_back(Entry(kTypeAny, kDisplayDomain, kUsageContainer, found.name,
                                             found.comment));
                }
            }
        }
    } else if (parent->displayType == kDisplayDomain) {
        const std::lock_guard lock(library_);
        if (const auto servers = ListDirectory(Library(), Url(*parent->remoteName), "NT1", "NT1")) {
            entries.emplace();
            for (const DirEntry& found : *servers) {
                if (found.type == SMBC_SERVER) {
                    entries->push_back(Entry(kTypeAny, kDisplayServer, kUsageContainer,
                                             "\\\\" + found.name, found.comment));
                }
            }
        }
    } else if (parent->displayType == kDisplayServer && parent->remoteName->rfind("\\\\", 0) == 0) {
        entries = Shares(parent->remoteName->substr(2), type);
    }
    return entries;
}

std::string SmbProvider::Url(std::string_view host) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "smb://";
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0x0F];
        }
    }
    return url;
}

bool SmbProvider::MayListServers(const NetResource& container) {
    return container.displayType == kDisplayDomain;
}

void SmbProvider::Prepare() {
    const std::lock_guard lock(library_);
    Library();
}

SMBCCTX* SmbProvider::Library() {
    if (!context_) {
        context_ = NewContext();
    }
    return context_.get();
}

std::optional<std::string> SmbProvider::Reachable(const std::string& server) {
    const auto host = resolver_.getHostByName(server);
    if (!host || host->addresses.empty() ||
        !CanConnect(host->addresses.front(), {445, 139}, probeWait_)) {
        return std::nullopt;
    }
    return platform::DottedText(host->addresses.front());
}

std::optional<std::vector<NetResource>> SmbProvider::Shares(const std::string& server,
                                                            std::int32_t type) {
    const auto address = server.empty() ? std::nullopt : Reachable(server);
    if (!address) {
        return std::nullopt;
    }
    // By the address just found: the library would look the name up again, the slow way on
    // networks that answer names only by broadcast. Servers that refuse SMB1 list their shares
    // over SMB2 or 3.
    std::unique_lock lock(library_);
    auto shares = ListDirectory(Library(), "smb://" + *address, "NT1", "SMB3");
    if (!shares) {
        // A server that answered the probe can still fail its first listing while it starts
        // the service that lists shares: once more, on a fresh connection.
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        lock.lock();
        smbc_getFunctionPurgeCachedServers(Library())(Library());
        shares = ListDirectory(Library(), "smb://" + *address, "NT1", "SMB3");
    }
    lock.unlock();
    if (!shares) {
        return std::nullopt;
    }
    std::vector<NetResource> entries;
    for (const DirEntry& found : *shares) {
        std::int32_t shareType = 0;
        if (found.type == SMBC_FILE_SHARE) {
            shareType = kTypeDisk;
        } else if (found.type == SMBC_PRINTER_SHARE) {
            shareType = kTypePrint;
        } else {
            continue;
        }
        if (!Wanted(shareType, type)) {
            continue;
        }
        const bool administrative = !found.name.empty() && found.name.back() == '$';
        entries.push_back(Entry(shareType, administrative ? kDisplayShareAdmin : kDisplayShare,
                                kUsageConnectable, "\\\\" + server + "\\" + found.name,
                                found.comment));
    }
    return entries;
}

} // namespace neighbourhood
