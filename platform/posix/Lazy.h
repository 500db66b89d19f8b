#pragma once

#include "platform/Internet.h"
#include "platform/SocketLibrary.h"

#include <functional>

namespace platform::posix {

// Services made when they are first used, on the thread that uses them: so that what the
// program loads for them (libraries with many dependencies of their own) comes after its window
// is up. Each asks its getter for the real service every time; the getter makes it once. Without
// the real service, each behaves as a system without it: no connection, no name found (the
// network provider is platform::LazyNetworkProvider).

class LazyInternet final : public Internet {
public:
    explicit LazyInternet(std::function<Internet*()> get) : get_(std::move(get)) {}
    bool checkConnection(const std::string& url) override;
    std::unique_ptr<InternetSession> open(const std::string& agent) override;

private:
    std::function<Internet*()> get_;
};

class LazySocketLibrary final : public SocketLibrary {
public:
    explicit LazySocketLibrary(std::function<SocketLibrary*()> get) : get_(std::move(get)) {}
    SocketStartup startup(std::uint16_t requestedVersion) override;
    std::optional<HostEntry> getHostByName(const std::string& name) override;
    int cleanup() override;

private:
    std::function<SocketLibrary*()> get_;
};

} // namespace platform::posix
