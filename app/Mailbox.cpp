#include "app/Mailbox.h"

#include <QThread>

#include <deque>
#include <future>
#include <mutex>

struct Mailbox::Core {
    std::mutex mutex;
    Mailbox* owner = nullptr; // null once closed
    QThread* thread = nullptr;
    std::deque<std::function<void()>> waiting;
    bool woken = false;
};

Mailbox::Mailbox(QObject* parent) : QObject(parent), core_(std::make_shared<Core>()) {
    core_->owner = this;
    core_->thread = thread();
}

Mailbox::~Mailbox() {
    close();
}

void Mailbox::close() {
    std::deque<std::function<void()>> dropped;
    const std::lock_guard lock(core_->mutex);
    core_->owner = nullptr;
    dropped.swap(core_->waiting);
}

void Mailbox::Address::post(std::function<void()> work) const {
    const std::lock_guard lock(core_->mutex);
    if (core_->owner == nullptr) {
        return;
    }
    core_->waiting.push_back(std::move(work));
    if (!core_->woken) {
        core_->woken = true;
        // Under the lock, so that the mailbox cannot go in between.
        QMetaObject::invokeMethod(core_->owner, "Deliver", Qt::QueuedConnection);
    }
}

void Mailbox::Address::call(const std::function<void()>& work) const {
    bool here = false;
    {
        const std::lock_guard lock(core_->mutex);
        if (core_->owner == nullptr) {
            return;
        }
        here = QThread::currentThread() == core_->thread;
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

void Mailbox::Deliver() {
    // Work may close the mailbox, or delete it, and then what follows is dropped.
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
            if (core->owner == nullptr) {
                return;
            }
        }
        work();
    }
}
