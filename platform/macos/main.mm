// Velmora Session Tracker: the menu-bar application on macOS.
#import <AppKit/AppKit.h>

#include <memory>
#include <utility>

#include "app/app_delegate.h"
#include "app/config.h"
#include "detect/tracker_state.h"
#include "platform/macos/home_directory.h"
#include "platform/macos/mac_accessibility.h"
#include "platform/macos/mac_client_watch.h"
#include "platform/macos/mac_event_loop.h"
#include "platform/macos/mac_file_revealer.h"
#include "platform/macos/mac_login_item_service.h"
#include "platform/macos/mac_notifier.h"
#include "platform/macos/mac_pasteboard.h"
#include "platform/macos/mac_running_apps.h"
#include "platform/macos/mac_script_runner.h"
#include "platform/macos/mac_status_bar.h"
#include "platform/macos/mac_url_opener.h"
#include "platform/macos/mac_wall_clock.h"

// Passes the platform's launch and termination callbacks on to the core's delegate.
@interface VLApplicationDelegate : NSObject <NSApplicationDelegate>
- (instancetype)initWithDelegate:(std::shared_ptr<velmora::AppDelegate>)delegate;
@end

@implementation VLApplicationDelegate {
  std::shared_ptr<velmora::AppDelegate> _delegate;
}

- (instancetype)initWithDelegate:(std::shared_ptr<velmora::AppDelegate>)delegate {
  if ((self = [super init])) _delegate = std::move(delegate);
  return self;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
  (void)notification;
  _delegate->applicationDidFinishLaunching();
}

- (void)applicationWillTerminate:(NSNotification*)notification {
  (void)notification;
  _delegate->applicationWillTerminate();
}

@end

int main() {
  @autoreleasepool {
    NSApplication* app = [NSApplication sharedApplication];

    // Everything below lives as long as the process: the event loop never returns, and
    // terminate: ends the process without unwinding this frame.
    velmora::TrackerState state;
    velmora::mac::MacRunningApps apps;
    velmora::mac::MacAccessibility accessibility;
    velmora::mac::MacScriptRunner scripts;
    velmora::mac::MacStatusBar statusBar;
    velmora::mac::MacPasteboard pasteboard;
    velmora::mac::MacEventLoop loop;
    velmora::mac::MacWallClock clock;
    velmora::mac::MacUrlOpener urls;
    velmora::mac::MacClientWatch watch;
    velmora::mac::MacLoginItemService loginItems;
    // Before launching finishes: it becomes the notification center's delegate.
    velmora::mac::MacNotifier notifier;
    velmora::mac::MacFileRevealer finder;
    const velmora::Platform platform{apps,  accessibility, scripts, statusBar,  pasteboard, loop,
                                     clock, urls,          watch,   loginItems, notifier,   finder};
    // Shared, because the timer and the delayed refresh hold the delegate weakly.
    const auto delegate = std::make_shared<velmora::AppDelegate>(
        platform, state, velmora::StatePaths::forHome(velmora::mac::homeDirectory()));

    // The application holds its delegate weakly; precise lifetime keeps ARC from releasing it
    // after its last use here.
    __attribute__((objc_precise_lifetime)) VLApplicationDelegate* applicationDelegate =
        [[VLApplicationDelegate alloc] initWithDelegate:delegate];
    app.delegate = applicationDelegate;
    [app setActivationPolicy:NSApplicationActivationPolicyAccessory];
    [app run];
  }
  return 0;
}
