#include "neighbourhood/Neighbourhood.h"

namespace neighbourhood {

Neighbourhood::Neighbourhood(MakeSmb makeSmb)
    : smb([this, makeSmb = std::move(makeSmb)] {
          std::call_once(smbOnce, [&] {
              try {
                  smbMade = makeSmb(resolver);
              } catch (const std::exception&) {
                  // Without it, SMB lists nothing.
              }
          });
          return smbMade.get();
      }) {}

} // namespace neighbourhood
