#pragma once

#include "base/concurrency/Mailbox.h"

#include <QObject>

// A mailbox delivered by Qt's event loop, on the thread of the object that owns it.
class QtMailbox final : public QObject {
    Q_OBJECT
public:
    explicit QtMailbox(QObject* parent = nullptr);
    ~QtMailbox() override;

    Mailbox& mailbox() { return mailbox_; }

private:
    Q_INVOKABLE void Deliver() { mailbox_.deliver(); }

    Mailbox mailbox_{[this] { QMetaObject::invokeMethod(this, "Deliver", Qt::QueuedConnection); }};
};
