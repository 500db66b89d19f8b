#include "platform/posix/NetworkModule.h"

#include "platform/posix/Module.h"

namespace platform::posix {

NetworkModule::NetworkModule()
    : internet_([this]() -> Internet* {
          NetworkServices* loaded = Loaded();
          return loaded != nullptr ? &loaded->internet() : nullptr;
      }),
      resolver_([this]() -> SocketLibrary* {
          NetworkServices* loaded = Loaded();
          return loaded != nullptr ? &loaded->resolver() : nullptr;
      }),
      network_([this]() -> NetworkProvider* {
          NetworkServices* loaded = Loaded();
          return loaded != nullptr ? &loaded->network() : nullptr;
      }) {}

NetworkServices* NetworkModule::Loaded() {
    std::call_once(once_, [this] {
        if (const auto entry =
                ModuleEntry<NetworkModuleEntry>(LoadModule(kNetworkModule), kNetworkModuleEntry)) {
            loaded_.reset(entry());
        }
    });
    return loaded_.get();
}

} // namespace platform::posix
