#include "logic/about/AboutPresenter.h"

#include "logic/about/OnTop.h"
#include "logic/about/ShexIt.h"
#include "logic/about/SysInfo.h"
#include "logic/config/BuildConfig.h"

std::string AboutPresenter::Caption() {
    return std::string("About ") + velnor::kTitle;
}

std::string AboutPresenter::Title() {
    return velnor::kTitle;
}

std::string AboutPresenter::Version() {
    return "Version " + std::to_string(velnor::kVersionMajor) + "." +
           std::to_string(velnor::kVersionMinor) + "." + std::to_string(velnor::kVersionRevision);
}

const char* AboutPresenter::Disclaimer() {
    return "Warning: this program is protected by copyright law and international treaties. "
           "Unauthorized reproduction or distribution of this program, or of any part of it, may "
           "result in severe civil and criminal penalties.";
}

const char* AboutPresenter::Description() {
    return "The addresses of this computer: on the Internet, on the local network and in the "
           "network neighbourhood.";
}

void AboutPresenter::Form_Load() {
    OnTop::SetOnTop(services_.shell, window_, OnTop::kTrue);
}

void AboutPresenter::OpenPage(const std::string& address) {
    ShexIt::OpenDocument(services_.shell, window_, address);
}

void AboutPresenter::Command1_Click() {
    OpenPage(velnor::kWebAddresses[0] + "/Pages/ListBot.html");
}

void AboutPresenter::Command2_Click() {
    OpenPage(velnor::kWebAddresses[0]);
}

void AboutPresenter::Image1_Click() {
    OpenPage(velnor::kWebAddresses[0]);
}

void AboutPresenter::picIcon_Click() {
    OpenPage(velnor::kWebAddresses[0]);
}

void AboutPresenter::Command4_Click() {
    StartSysInfo();
}

void AboutPresenter::StartSysInfo() {
    SysInfo::StartSysInfo(services_.registry, services_.programs, messages_);
}
