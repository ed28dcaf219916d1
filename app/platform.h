// Every platform service the tracker uses: the one index of the core's ports. Each is a small
// interface of plain values with one adapter per platform (platform/macos on a Mac,
// platform/sim in velmora-sim and the tests). All of them outlive the delegate and are used on
// the main thread only.
#pragma once

#include "app/event_loop.h"
#include "app/login_item.h"
#include "clock/wall_clock.h"
#include "detect/accessibility.h"
#include "detect/client_watch.h"
#include "detect/running_apps.h"
#include "detect/script_runner.h"
#include "ui/file_revealer.h"
#include "ui/notifier.h"
#include "ui/pasteboard.h"
#include "ui/status_item.h"
#include "ui/url_opener.h"

namespace velmora {

struct Platform {
  RunningApps& apps;             // the client's instances, this process, activation, quit
  Accessibility& accessibility;  // the client's windows and their attributes, the trust prompt
  ScriptRunner& scripts;         // AppleScript run against "System Events" (listing, raise)
  StatusBar& statusBar;          // the status item: its title and its menu
  Pasteboard& pasteboard;        // Copy Debug Info's text
  EventLoop& loop;               // the poll and menu timers, delayed tasks, termination
  WallClock& clock;              // the moment now, in seconds since 1970
  UrlOpener& urls;               // System Settings panes opened by URL
  ClientWatch& watch;            // the client's window notifications, launches and quits
  LoginItemService& loginItems;  // "Open at Login": the system's login items
  Notifier& notifier;            // "Notify When a Session Ends": permission and posting
  FileRevealer& finder;          // the history's files shown in Finder
};

}  // namespace velmora
