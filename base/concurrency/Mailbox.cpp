#include "base/concurrency/Mailbox.h"

#include <deque>
#include <future>
#include <mutex>
#include <thread>

struct Mailbox::Core {
    std::mutex mutex;
    bool open = true;
    std::thread::id owner = std::this_thread::get_id();
    std::function<void()> wake;
    std::deque<std::function<void()>> waiting;
    bool woken = false;
};

Mailbox::Mailbox(std::function<void()> wake) : core_(std::make_shared<Core>()) {
    core_->wake = std::move(wake);
}

Mailbox::~Mailbox() {
    close();
}

void Mailbox::close() {
    std::deque<std::function<void()>> dropped;
    const std::lock_guard lock(core_->mutex);
    core_->open = false;
    dropped.swap(core_->waiting);
}

void Mailbox::Address::post(std::function<void()> work) const {
    const std::lock_guard lock(core_->mutex);
    if (!core_->open) {
        return;
    }
    core_->waiting.push_back(std::move(work));
    if (!core_->woken) {
        core_->woken = true;
        // Under the lock, so that the mailbox cannot close in between.
        core_->wake();
    }
}

void Mailbox::Address::call(const std::function<void()>& work) const {
    bool here = false;
    {
        const std::lock_guard lock(core_->mutex);
        if (!core_->open) {
            return;
        }
        here = std::this_thread::get_id() == core_->owner;
    }
    if (here) {
        work();
        return;
    }
    auto ran = std::make_shared<std::promise<void>>();
    auto future = ran->get_future();
    post([work, ran] {
        work();
        ran->set_value();
    });
    try {
        future.get();
    } catch (const std::future_error&) {
        // Dropped with the mailbox.
    }
}

void Mailbox::deliver() {
    // Work may close the mailbox, or destroy it: the core stays while this runs.
    const std::shared_ptr<Core> core = core_;
    std::deque<std::function<void()>> ready;
    {
        const std::lock_guard lock(core->mutex);
        ready.swap(core->waiting);
        core->woken = false;
    }
    for (auto& work : ready) {
        {
            const std::lock_guard lock(core->mutex);
            if (!core->open) {
                return;
            }
        }
        work();
    }
}
