#include "platform/macos/mac_status_bar.h"

#import <AppKit/AppKit.h>
#import <objc/runtime.h>

#include <utility>

#include "platform/macos/cf_string.h"
#include "platform/macos/mac_text_style.h"

// The target of one menu item: remembers the entry it was made from and reports it when the
// item is chosen. It answers to every selector of the core's menu actions, so each item names
// its own action as the platform shows it.
@interface VLMenuTarget : NSObject
- (instancetype)initWithEntry:(const velmora::MenuEntry&)entry
                       choice:(const velmora::MenuChoice&)choice;
@end

@implementation VLMenuTarget {
  velmora::MenuEntry _entry;
  velmora::MenuChoice _choice;
}

- (instancetype)initWithEntry:(const velmora::MenuEntry&)entry
                       choice:(const velmora::MenuChoice&)choice {
  if ((self = [super init])) {
    _entry = entry;
    _choice = choice;
  }
  return self;
}

- (void)choose {
  // The choice may rebuild the menu and so release this target while it runs; it works on
  // copies that outlive that.
  const velmora::MenuEntry entry = _entry;
  const velmora::MenuChoice choice = _choice;
  if (choice) choice(entry);
}

- (void)sessionClicked:(id)sender {
  (void)sender;
  [self choose];
}
- (void)bringToFrontAction {
  [self choose];
}
- (void)quitWindowsApp {
  [self choose];
}
- (void)copyDebug {
  [self choose];
}
- (void)refresh {
  [self choose];
}
- (void)quitSelf {
  [self choose];
}
- (void)openAccessibilitySettings {
  [self choose];
}
- (void)toggleOpenAtLogin {
  [self choose];
}
- (void)toggleNotifications {
  [self choose];
}
- (void)exportHistory {
  [self choose];
}
- (void)showHistoryInFinder {
  [self choose];
}
- (void)toggleHistory {
  [self choose];
}

@end

// Tells the core when the status menu opens and closes, so that its times tick only meanwhile.
@interface VLMenuTracker : NSObject <NSMenuDelegate>
- (instancetype)initWithTracking:(const velmora::MenuTracking&)tracking;
@end

@implementation VLMenuTracker {
  velmora::MenuTracking _tracking;
}

- (instancetype)initWithTracking:(const velmora::MenuTracking&)tracking {
  if ((self = [super init])) _tracking = tracking;
  return self;
}

- (void)menuWillOpen:(NSMenu*)menu {
  (void)menu;
  if (_tracking) _tracking(true);
}

- (void)menuDidClose:(NSMenu*)menu {
  (void)menu;
  if (_tracking) _tracking(false);
}

@end

namespace velmora::mac {
namespace {

// Key under which a menu holds the targets of its items (NSMenuItem keeps its target weakly).
char kMenuTargetsKey;

// Average width of a character of the 13-point system font, for the tab stop of the secondary
// texts; an estimate, since the menu's width follows its widest row anyway.
constexpr double kCharacterWidth = 7.0;
constexpr double kTabMargin = 16.0;

// Where the secondary texts of `entries` end: right-aligned at one tab stop for the whole menu.
double detailTabStop(const std::vector<MenuEntry>& entries) {
  return static_cast<double>(detailColumns(entries)) * kCharacterWidth + kTabMargin;
}

// The row's title, then a tab and its secondary text in the secondary label colour.
NSAttributedString* titleWithDetail(const MenuEntry& entry, double tabStop) {
  const TextStyle style = menuTextStyle(entry.style).value_or(TextStyle{});
  NSMutableAttributedString* title = [[NSMutableAttributedString alloc] init];
  [title appendAttributedString:attributedText(entry.title + "\t", style)];
  [title appendAttributedString:attributedText(entry.detail, TextStyle{style.fontSize, style.weight,
                                                                       kSecondaryLabel})];
  NSMutableParagraphStyle* paragraph = [[NSMutableParagraphStyle alloc] init];
  paragraph.tabStops = @[ [[NSTextTab alloc] initWithTextAlignment:NSTextAlignmentRight
                                                          location:tabStop
                                                           options:@{}] ];
  [title addAttribute:NSParagraphStyleAttributeName
                value:paragraph
                range:NSMakeRange(0, title.length)];
  return title;
}

NSMenuItem* menuItem(const MenuEntry& entry, const MenuChoice& onChoose,
                     NSMutableArray<VLMenuTarget*>* targets, double tabStop);

NSMenu* menuOf(const std::vector<MenuEntry>& entries, const MenuChoice& onChoose,
               NSMutableArray<VLMenuTarget*>* targets) {
  NSMenu* menu = [[NSMenu alloc] init];
  menu.autoenablesItems = NO;  // the entries decide which rows are enabled
  const double tabStop = detailTabStop(entries);
  for (const MenuEntry& entry : entries) {
    [menu addItem:menuItem(entry, onChoose, targets, tabStop)];
  }
  return menu;
}

NSMenuItem* menuItem(const MenuEntry& entry, const MenuChoice& onChoose,
                     NSMutableArray<VLMenuTarget*>* targets, double tabStop) {
  if (entry.separator) return [NSMenuItem separatorItem];
  const std::optional<TextStyle> style = menuTextStyle(entry.style);
  const bool attributed = style || !entry.detail.empty();
  const SEL action = entry.action == MenuAction::kNone
                         ? nullptr
                         : NSSelectorFromString(nsString(selectorName(entry.action)));
  NSMenuItem* item = [[NSMenuItem alloc] initWithTitle:(attributed ? @"" : nsString(entry.title))
                                                action:action
                                         keyEquivalent:nsString(entry.keyEquivalent)];
  if (!entry.detail.empty()) {
    item.attributedTitle = titleWithDetail(entry, tabStop);
  } else if (style) {
    item.attributedTitle = attributedText(entry.title, *style);
  }
  item.enabled = entry.enabled;
  item.state = entry.checked ? NSControlStateValueOn : NSControlStateValueOff;
  if (action != nullptr) {
    VLMenuTarget* target = [[VLMenuTarget alloc] initWithEntry:entry choice:onChoose];
    [targets addObject:target];
    item.target = target;
  }
  if (entry.representedObject) item.representedObject = nsString(*entry.representedObject);
  if (!entry.submenu.empty()) item.submenu = menuOf(entry.submenu, onChoose, targets);
  return item;
}

class MacStatusItem final : public StatusItem {
 public:
  MacStatusItem(NSStatusItem* item, MenuChoice onChoose, MenuTracking onTracking)
      : item_(item),
        onChoose_(std::move(onChoose)),
        tracker_([[VLMenuTracker alloc] initWithTracking:onTracking]) {}
  ~MacStatusItem() override { [[NSStatusBar systemStatusBar] removeStatusItem:item_]; }

  MacStatusItem(const MacStatusItem&) = delete;
  MacStatusItem& operator=(const MacStatusItem&) = delete;

  bool hasButton() override { return item_.button != nil; }

  void setTitle(const std::vector<TitleRun>& runs) override {
    // AppKit raises only on nil strings, which nsString never gives; should it raise anyway,
    // the old title stays.
    @try {
      NSMutableAttributedString* title = [[NSMutableAttributedString alloc] init];
      for (const TitleRun& run : runs) [title appendAttributedString:attributedText(run)];
      item_.button.attributedTitle = title;
    } @catch (NSException*) {
    }
  }

  // VoiceOver reads the label instead of the attributed title, whose circles it cannot say.
  void setAccessibilityLabel(const std::string& label) override {
    item_.button.accessibilityLabel = nsString(label);
  }

  void setMenu(const std::vector<MenuEntry>& entries) override {
    @try {
      NSMutableArray<VLMenuTarget*>* targets = [NSMutableArray array];
      NSMenu* menu = menuOf(entries, onChoose_, targets);
      menu.delegate = tracker_;
      objc_setAssociatedObject(menu, &kMenuTargetsKey, targets, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
      item_.menu = menu;
    } @catch (NSException*) {
    }
  }

  // Titles only, item by item: the open menu keeps its structure and highlight.
  void updateMenuTimes(const std::vector<MenuEntry>& entries) override {
    NSMenu* menu = item_.menu;
    if (menu == nil || menu.numberOfItems != static_cast<NSInteger>(entries.size())) return;
    const double tabStop = detailTabStop(entries);
    NSArray<NSMenuItem*>* items = menu.itemArray;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const MenuEntry& entry = entries[i];
      if (entry.action != MenuAction::kSessionClicked && entry.style != MenuStyle::kUptime) {
        continue;
      }
      const std::optional<TextStyle> style = menuTextStyle(entry.style);
      if (!entry.detail.empty()) {
        items[i].attributedTitle = titleWithDetail(entry, tabStop);
      } else if (style) {
        items[i].attributedTitle = attributedText(entry.title, *style);
      }
    }
  }

 private:
  NSStatusItem* item_;
  MenuChoice onChoose_;
  VLMenuTracker* tracker_;  // the menus' delegate, which they hold weakly
};

}  // namespace

std::unique_ptr<StatusItem> MacStatusBar::createStatusItem(MenuChoice onChoose,
                                                           MenuTracking onTracking) {
  NSStatusItem* item =
      [[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength];
  return std::make_unique<MacStatusItem>(item, std::move(onChoose), std::move(onTracking));
}

}  // namespace velmora::mac
