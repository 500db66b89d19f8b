#pragma once

#include "platform/LocalNames.h"
#include "platform/NetworkProvider.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Walks the network neighbourhood breadth first and sorts the names it meets by display type
// into delimited lists: each name followed by "|".
class clsNetwork {
public:
    // Reset found nothing at all on an object that never stored a record.
    struct NoRecords : std::runtime_error {
        NoRecords() : std::runtime_error("the walk stored no record") {}
    };

    // A copy of one resource that the walk met.
    struct ResourceRecord {
        std::int32_t scope = 0;
        std::int32_t type = 0;
        std::int32_t displayType = 0;
        std::int32_t usage = 0;
        std::string localName;
        std::string remoteName;
        std::string comment;
        std::string provider;
    };

    static constexpr std::size_t kReadBudget = 4096;
    // Reads of one container before it counts as endless.
    static constexpr int kMaxReadsPerContainer = 4096;
    // Records of one walk after which no further container is opened.
    static constexpr std::size_t kMaxRecords = 1 << 20;

    clsNetwork(platform::NetworkProvider& provider, platform::LocalNames& localNames)
        : provider_(provider), localNames_(localNames) {}

    std::string GetDirectoryList() const { return lists_[0x9]; }
    std::string GetDomainList() const { return lists_[0x1]; }
    std::string GetFileList() const { return lists_[0x4]; }
    std::string GetGenericList() const { return lists_[0x0]; }
    std::string GetGroupList() const { return lists_[0x5]; }
    std::string GetLocalMachineName() const { return localMachineName_; }
    std::string GetLocalUserName() const { return localUserName_; }
    std::string GetNetworkList() const { return lists_[0x6]; }
    // No display type feeds it.
    std::string GetPrinterList() const { return printerList_; }
    std::int32_t GetResourceType() const { return resourceType_; }
    std::string GetRootList() const { return lists_[0x7]; }
    std::string GetServerList() const { return lists_[0x2]; }
    std::string GetShareAdminList() const { return lists_[0x8]; }
    std::string GetShareList() const { return lists_[0x3]; }

    // Walks the whole neighbourhood and appends the names met to the lists; throws NoRecords.
    void Reset();
    void SetResourceType(std::int32_t lResourceType) { resourceType_ = lResourceType; }

    // Told of each server record in the order of the server list, as soon as that order is
    // known; on the thread that runs Reset.
    using ServerObserver = std::function<void(const ResourceRecord&)>;
    void SetServerObserver(ServerObserver observer) { serverObserver_ = std::move(observer); }
    // Containers opened at once: the one whose entries go into the table next and those after
    // it, whose opens (where a provider waits on the network) overlap. The reads run one at a
    // time in walk order, but may pass a container whose provider is sure it lists no server;
    // the records and the lists are those of a walk that opens one container at a time.
    void SetParallelOpens(std::size_t count) { parallelOpens_ = count > 0 ? count : 1; }

    const std::optional<std::vector<ResourceRecord>>& records() const { return records_; }

private:
    // Every entry of an open container.
    std::vector<ResourceRecord> ReadContainer(platform::NetworkProvider::Handle handle);
    // Puts the entries into the table from index `stored` on; gives the new count.
    std::size_t Append(const std::vector<ResourceRecord>& entries, std::size_t stored);
    // Opens the record's container; nothing when it is no container or does not open.
    std::optional<platform::NetworkProvider::Handle> OpenRecord(const ResourceRecord& record);
    void BuildLists();
    void ReadLocalNames();

    platform::NetworkProvider& provider_;
    platform::LocalNames& localNames_;
    std::int32_t resourceType_ = platform::net::kTypeDisk;
    ServerObserver serverObserver_;
    std::size_t parallelOpens_ = 1;
    std::optional<std::vector<ResourceRecord>> records_;
    std::array<std::string, 10> lists_;
    std::string printerList_;
    std::string localUserName_;
    std::string localMachineName_;
};
