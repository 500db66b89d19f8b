#include "views/qt/QtMailbox.h"

QtMailbox::QtMailbox(QObject* parent) : QObject(parent) {}

QtMailbox::~QtMailbox() {
    // Before the object goes: nothing wakes it from now on.
    mailbox_.close();
}
