// Programs that load modules with the platform's own loader.
#include "harness.h"

namespace harness {

std::unique_ptr<Runner> openModule(const std::string& path) {
  return std::make_unique<Module>(path);
}

}  // namespace harness
