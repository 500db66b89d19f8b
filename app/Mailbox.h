#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Hands work from any thread to the thread that owns the mailbox (the window's), where it runs
// in the order posted. What is posted after the mailbox has gone is dropped. The work passes
// through a lock of our own, so the thread sanitizer sees it handed over.
class Mailbox final : public QObject {
    Q_OBJECT
public:
    struct Core;

    // What other threads keep: it may outlive the mailbox.
    class Address {
    public:
        void post(std::function<void()> work) const;
        // Posts and waits until it has run, or until it is dropped. Runs it at once when called
        // on the mailbox's own thread.
        void call(const std::function<void()>& work) const;

    private:
        friend class Mailbox;
        explicit Address(std::shared_ptr<Core> core) : core_(std::move(core)) {}
        std::shared_ptr<Core> core_;
    };

    explicit Mailbox(QObject* parent = nullptr);
    ~Mailbox() override;

    Address address() const { return Address(core_); }
    // Drops what waits and whatever comes later.
    void close();

private:
    Q_INVOKABLE void Deliver();

    std::shared_ptr<Core> core_;
};
