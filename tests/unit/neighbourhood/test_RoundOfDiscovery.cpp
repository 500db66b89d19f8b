// The load and the neighbourhood together: the real router and discovery provider behind the
// presenter.
#include "neighbourhood/DiscoveryProvider.h"
#include "neighbourhood/RouterProvider.h"
#include "tests/support/PresenterRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

// The neighbourhood's router, whose preparation comes late: as when the module that holds it
// lets the load's preparation and the walk go at once, and the walk is quicker. Here it waits
// until a walk has read its three containers (the root, the network, the group), or a moment.
class LatePreparation final : public platform::NetworkProvider {
public:
    explicit LatePreparation(platform::NetworkProvider& router) : router_(router) {}
    void Prepare() override {
        {
            std::unique_lock lock(mutex_);
            const int walked = closes_ + 3;
            closed_.wait_for(lock, std::chrono::milliseconds(300),
                             [&] { return closes_ >= walked; });
        }
        router_.Prepare();
    }
    bool MayListServers(const platform::NetResource& container) override {
        return router_.MayListServers(container);
    }
    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const platform::NetResource* parent) override {
        return router_.open(scope, type, usage, parent);
    }
    platform::ReadOutcome read(Handle handle, std::size_t budget) override {
        return router_.read(handle, budget);
    }
    void close(Handle handle) override {
        router_.close(handle);
        const std::lock_guard lock(mutex_);
        ++closes_;
        closed_.notify_all();
    }

private:
    platform::NetworkProvider& router_;
    std::mutex mutex_;
    std::condition_variable closed_;
    int closes_ = 0;
};

} // namespace

// A load's list shows what the discovery that this load began found, never what one that the
// previous load began found.
TEST(RoundOfDiscovery, EachLoadTakesTheRoundItBegan) {
    fakes::PresenterRig rig;
    std::atomic<int> load{0};
    neighbourhood::DiscoveredHosts hosts;
    neighbourhood::DiscoveryProvider discovery(
        "Discovered Network", "D",
        [&load](std::chrono::milliseconds, std::stop_token, const neighbourhood::Found&) {
            return std::vector<neighbourhood::DiscoveredComputer>{
                {"LOAD" + std::to_string(load.load()), "GROUP", "", {10, 0, 0, 9}}};
        },
        std::chrono::milliseconds(50), hosts, 1);
    neighbourhood::RouterProvider router({{"D", &discovery}}, rig.resolver, hosts);
    LatePreparation network(router);
    const platform::Services services{rig.internet, rig.datagrams, rig.metrics,  rig.computer,
                                      rig.resolver, network,       rig.computer, rig.registry,
                                      rig.programs, rig.shell,     rig.clock,    rig.files};
    {
        MainPresenter presenter(
            services, {rig.messages, rig.loop.mailbox(), {}, InternetAddress::RoadOf("")});
        for (load = 1; load <= 3; ++load) {
            presenter.Form_Load(); // as the start and Refresh run it
            ASSERT_TRUE(rig.until([&] { return !presenter.isLoading(); }));
            ASSERT_EQ(presenter.record().rows.size(), std::size_t{1});
            EXPECT_EQ(presenter.record().rows[0].text, "LOAD" + std::to_string(load.load()));
        }
    }
    EXPECT_TRUE(Background::WaitIdle(std::chrono::seconds(5)));
}
