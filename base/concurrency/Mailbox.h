#pragma once

#include <functional>
#include <memory>

// Hands work from any thread to the thread that made the mailbox (its owner: the window's),
// where it runs in the order posted. What is posted after the mailbox has closed is dropped.
// The work passes through a lock of our own, so the thread sanitizer sees it handed over. How
// the owner learns that work waits is the event loop's business: the mailbox calls `wake`.
class Mailbox {
public:
    struct Core;

    // What other threads keep: it may outlive the mailbox.
    class Address {
    public:
        void post(std::function<void()> work) const;
        // Posts and waits until it has run, or until it is dropped. Runs it at once when called
        // on the owner's thread.
        void call(const std::function<void()>& work) const;

    private:
        friend class Mailbox;
        explicit Address(std::shared_ptr<Core> core) : core_(std::move(core)) {}
        std::shared_ptr<Core> core_;
    };

    // `wake` is called from any thread, under the mailbox's lock, when work comes and the owner
    // has delivered everything before it: it must have the owner call deliver() soon, and must
    // not call back into the mailbox.
    explicit Mailbox(std::function<void()> wake);
    ~Mailbox();
    Mailbox(const Mailbox&) = delete;
    Mailbox& operator=(const Mailbox&) = delete;

    Address address() const { return Address(core_); }
    // Runs the work that waits, in order; on the owner's thread. Work may close the mailbox,
    // and then what follows is dropped.
    void deliver();
    // Drops what waits and whatever comes later.
    void close();

private:
    std::shared_ptr<Core> core_;
};
