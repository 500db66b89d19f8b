#include "logic/computers/ListFill.h"

#include "base/text/Text.h"
#include "logic/computers/clsNetwork.h"
#include "logic/computers/modIP.h"

#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <set>

namespace ListFill {

namespace {

// Bytes of the character that starts with this byte, in the UTF-8 of this system's text.
std::size_t CharacterSize(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t taken = 1;
    while (taken < size && at + taken < text.size() &&
           (static_cast<unsigned char>(text[at + taken]) & 0xC0) == 0x80) {
        ++taken;
    }
    return taken;
}

class Fill : public std::enable_shared_from_this<Fill> {
public:
    Fill(Services services, Events events, Launch launch)
        : services_(services), events_(std::move(events)), launch_(std::move(launch)) {}

    void Walk() {
        std::set<std::string> listed; // lower case
        clsNetwork network(services_.network, services_.localNames);
        network.SetResourceType(platform::net::kTypeAny);
        network.SetParallelOpens(kParallelOpens);
        network.SetServerObserver([&](const clsNetwork::ResourceRecord& record) {
            // A computer is listed once, whichever source names it again, in whatever case:
            // the one place where a name listed before is dropped.
            for (std::string& name : RowNames(record.remoteName)) {
                if (listed.insert(text::AsciiLower(name)).second) {
                    Found(std::move(name));
                }
            }
        });
        try {
            network.Reset();
        } catch (const std::exception&) {
            // A walk that failed lists what it found before.
        }
        std::unique_lock lock(mutex_);
        walked_ = true;
        if (lookingUp_ == kParallelLookups) {
            EndIfDone(lock);
            return;
        }
        // This thread looks up what is left too: also the names no thread could be started for.
        ++lookingUp_;
        lock.unlock();
        LookUp();
    }

    // No thread for the walk: the fill ends with nothing found.
    void Abandon() {
        std::unique_lock lock(mutex_);
        walked_ = true;
        EndIfDone(lock);
    }

private:
    void Found(std::string name) {
        Tell([&] { events_.row(name); });
        const std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(name));
        if (lookingUp_ < kParallelLookups) {
            ++lookingUp_;
            try {
                launch_([fill = shared_from_this()] { fill->LookUp(); });
            } catch (const std::exception&) {
                // The walk's own thread looks the name up once the walk has ended.
                --lookingUp_;
            }
        }
    }

    // Looks up waiting names until none is left.
    void LookUp() {
        for (;;) {
            std::unique_lock lock(mutex_);
            if (waiting_.empty()) {
                --lookingUp_;
                EndIfDone(lock);
                return;
            }
            const std::string name = std::move(waiting_.front());
            waiting_.pop_front();
            lock.unlock();
            std::string address;
            try {
                address = modIP::ResolveHostAddress(services_.resolver, services_.messages, name);
            } catch (const std::exception&) {
                // A name whose lookup failed keeps an empty address.
            }
            Tell([&] { events_.address(name, address); });
        }
    }

    // Tells `done` once the walk and every lookup have ended. Takes the held lock.
    void EndIfDone(std::unique_lock<std::mutex>& lock) {
        if (!walked_ || !waiting_.empty() || lookingUp_ > 0 || ended_) {
            return;
        }
        ended_ = true;
        lock.unlock();
        Tell([&] { events_.done(); });
    }

    template <typename Event> void Tell(Event&& event) {
        const std::lock_guard lock(telling_);
        event();
    }

    Services services_;
    Events events_;
    Launch launch_;
    std::mutex telling_;
    std::mutex mutex_;
    std::deque<std::string> waiting_;
    std::size_t lookingUp_ = 0;
    bool walked_ = false;
    bool ended_ = false;
};

} // namespace

std::vector<std::string> RowNames(const std::string& remoteName) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = remoteName.find('|', start);
        const std::string part =
            remoteName.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        std::size_t at = 0;
        for (int dropped = 0; dropped < 2 && at < part.size(); ++dropped) {
            at += CharacterSize(part, at);
        }
        if (at < part.size()) {
            names.push_back(part.substr(at));
        }
        if (bar == std::string::npos) {
            return names;
        }
        start = bar + 1;
    }
}

void Start(Services services, Events events, Launch launch) {
    auto fill = std::make_shared<Fill>(services, std::move(events), launch);
    try {
        launch([fill] { fill->Walk(); });
    } catch (const std::exception&) {
        fill->Abandon();
    }
}

} // namespace ListFill
