#include "logic/internet/InternetAddress.h"

#include "logic/config/BuildConfig.h"

namespace InternetAddress {

Road BuildRoad() {
    return RoadOf(velnor::kStunServers);
}

Road RoadOf(std::string_view stunServers) {
    return {ExternalAddress::ParseServers(stunServers), velnor::AddressPageUrl()};
}

} // namespace InternetAddress
