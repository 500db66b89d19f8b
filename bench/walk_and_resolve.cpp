// Fills the network computer list as the main window does (the walk prepared first, rows as they
// are found, their addresses looked up at once) and prints the rows, how long the first row and
// the complete list took.
//   velnor_bench_walk [smb|all]   SMB alone, or every provider (the default)
#include "logic/computers/ListFill.h"
#include "neighbourhood/Neighbourhood.h"
#include "neighbourhood/smb/SmbModule.h"
#include "neighbourhood/smb/SmbProvider.h"
#include "platform/posix/PosixComputer.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Printed final : public platform::MessageBox {
public:
    void show(const std::string& text) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
};

// What the fill told, and when.
struct Told {
    std::mutex mutex;
    std::condition_variable done;
    std::vector<std::string> rows;
    std::map<std::string, std::string> addresses;
    std::optional<Clock::time_point> firstRow;
    std::optional<Clock::time_point> end;
    std::vector<std::thread> threads;
};

} // namespace

int main(int argc, char* argv[]) {
    const bool smbAlone = argc > 1 && std::string(argv[1]) == "smb";
    const auto start = Clock::now();
    neighbourhood::Neighbourhood world(
        {neighbourhood::kSmbProviderName, [](platform::SocketLibrary& resolver) {
             return std::make_unique<neighbourhood::SmbProvider>(resolver);
         }});
    platform::NetworkProvider& provider =
        smbAlone ? static_cast<platform::NetworkProvider&>(world.browse) : world.network;
    platform::posix::PosixComputer computer;
    Printed messages;
    provider.Prepare();

    Told told;
    ListFill::Events events;
    events.row = [&](const std::string& name) {
        const std::lock_guard lock(told.mutex);
        told.firstRow = told.firstRow.value_or(Clock::now());
        told.rows.push_back(name);
    };
    events.address = [&](const std::string& name, const std::string& address) {
        const std::lock_guard lock(told.mutex);
        told.addresses[name] = address;
    };
    events.done = [&] {
        const std::lock_guard lock(told.mutex);
        told.end = Clock::now();
        told.done.notify_all();
    };
    ListFill::Start({provider, computer, world.resolver, messages}, std::move(events),
                    [&](std::function<void()> work) {
                        const std::lock_guard lock(told.mutex);
                        told.threads.emplace_back(std::move(work));
                    });
    std::unique_lock lock(told.mutex);
    told.done.wait(lock, [&] { return told.end.has_value(); });
    std::vector<std::thread> threads = std::move(told.threads);
    lock.unlock();
    for (std::thread& thread : threads) {
        thread.join();
    }

    int resolved = 0;
    for (const std::string& row : told.rows) {
        const std::string& address = told.addresses[row];
        std::printf("%s %s\n", row.c_str(), address.c_str());
        resolved += address.empty() ? 0 : 1;
    }
    using ms = std::chrono::duration<double, std::milli>;
    std::printf("servers %zu resolved %d first_row_ms %.1f total_ms %.1f\n", told.rows.size(),
                resolved, told.firstRow ? ms(*told.firstRow - start).count() : 0.0,
                ms(*told.end - start).count());
    return told.rows.empty() ? 1 : 0;
}
