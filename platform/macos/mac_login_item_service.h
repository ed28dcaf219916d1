// The login-item port on ServiceManagement's SMAppService (macOS 13 and later) and the main
// bundle's location.
#pragma once

#include "app/login_item.h"

namespace velmora::mac {

// SMAppService.mainAppService stands for this app's own bundle, so the login item System
// Settings lists carries the app's name. Before macOS 13 there is no such service: hasService()
// is false and the core keeps a LaunchAgent instead. A refused register or unregister is
// EPERM: ServiceManagement's error codes are not the C library's, and the status read
// afterwards says the rest.
class MacLoginItemService final : public LoginItemService {
 public:
  bool hasService() override;
  LoginServiceStatus status() override;
  Outcome registerApp() override;
  Outcome unregisterApp() override;
  void openSettings() override;
  AppLocation appLocation() override;
};

}  // namespace velmora::mac
