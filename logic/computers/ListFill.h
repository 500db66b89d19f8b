#pragma once

#include "platform/LocalNames.h"
#include "platform/MessageBox.h"
#include "platform/NetworkProvider.h"
#include "platform/SocketLibrary.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// The network computer list, filled off the caller's thread: the walk of the neighbourhood, a row
// for each server as soon as its place in walk order is final, and the address of each row,
// several looked up at once, each name once. The rows and their order are those of splitting the
// walk's server list at "|" after it has ended, without the names listed before in any case.
namespace ListFill {

inline constexpr std::size_t kParallelOpens = 16;
inline constexpr std::size_t kParallelLookups = 16;

struct Services {
    platform::NetworkProvider& network;
    platform::LocalNames& localNames;
    platform::SocketLibrary& resolver;
    // For the socket library's messages; shown from the fill's threads.
    platform::MessageBox& messages;
};

// What the fill finds, told on its threads; one at a time, in the order found.
struct Events {
    // A row at the end of the list: the computer's name (its key is "KEY_" and the name).
    std::function<void(const std::string& name)> row;
    // The dotted address of a row, or the empty text when the name does not resolve.
    std::function<void(const std::string& name, const std::string& address)> address;
    // The walk and every lookup have ended; nothing is told after it.
    std::function<void()> done;
};

// Runs a piece of work on a thread of the caller's choosing, not this one; throws when it
// cannot start one.
using Launch = std::function<void(std::function<void()>)>;

// Starts the fill and returns at once. The services must outlive it: until `done`. Without a
// thread for the walk the fill ends at once with nothing found (`done` is told on this thread);
// without threads for lookups the walk's thread looks the names up after the walk.
void Start(Services services, Events events, Launch launch);

// The row names a server's remote name gives: its parts between "|", each without its first two
// characters (a server's leading backslashes), those that are left empty dropped.
std::vector<std::string> RowNames(const std::string& remoteName);

} // namespace ListFill
