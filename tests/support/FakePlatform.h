#pragma once

#include "platform/LocalMachine.h"
#include "platform/LocalNames.h"
#include "platform/MessageBox.h"
#include "platform/SystemMetrics.h"

#include <string>
#include <vector>

namespace fakes {

class Metrics final : public platform::SystemMetrics {
public:
    int value = 3;
    int networkMetric() override { return value; }
};

// This computer: its host name and address, the user's name and the computer's.
class Computer final : public platform::LocalMachine, public platform::LocalNames {
public:
    std::string hostName = "workstation-7";
    std::string ip = "192.168.0.7";
    std::string user = "alice";
    std::string computer = "WORKSTATION-7";
    std::string localHostName() override { return hostName; }
    std::string localIP() override { return ip; }
    std::string userName() override { return user; }
    std::string computerName() override { return computer; }
};

class Messages final : public platform::MessageBox {
public:
    std::vector<std::string> shown;
    void show(const std::string& text) override { shown.push_back(text); }
};

} // namespace fakes
