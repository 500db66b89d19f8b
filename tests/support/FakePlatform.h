#pragma once

#include "platform/LocalMachine.h"
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

class LocalMachine final : public platform::LocalMachine {
public:
    std::string hostName = "workstation-7";
    std::string ip = "192.168.0.7";
    std::string localHostName() override { return hostName; }
    std::string localIP() override { return ip; }
};

class Messages final : public platform::MessageBox {
public:
    std::vector<std::string> shown;
    void show(const std::string& text) override { shown.push_back(text); }
};

} // namespace fakes
