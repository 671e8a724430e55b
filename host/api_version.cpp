// The host release and API version the modules are built for; the macOS
// host reads them before it calls mexFunction. They match the versioning
// manifest in the bundle.
#include "api_version.h"

extern "C" void mexfilerequiredapiversion(std::uint32_t* release,
                                          std::uint32_t* apiVersion) {
  *release = mexhost::kRequiredRelease;
  *apiVersion = mexhost::kRequiredApiVersion;
}
