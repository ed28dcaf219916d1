#include "platform/macos/mac_status_bar.h"

#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>
#import <objc/runtime.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/macos/cf_string.h"
#include "platform/macos/mac_text_style.h"

// The target of one menu item: remembers the entry it was made from and reports it when the
// item is chosen. It answers to every selector of the core's menu actions, so each item names
// its own action as the platform shows it.
@interface VLMenuTarget : NSObject
- (instancetype)initWithEntry:(const velmora::MenuEntry&)entry
                       choice:(const velmora::MenuChoice&)choice;
// The row now shows `entry`, which a choice hands on.
- (void)setEntry:(const velmora::MenuEntry&)entry;
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

- (void)setEntry:(const velmora::MenuEntry&)entry {
  _entry = entry;
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

// The colourless title shown while a row is highlighted (see VLMenuTracker).
char kPlainTitleKey;

// Tells the core when the status menu opens and closes, so that its times tick only meanwhile,
// and keeps the highlighted row readable. A colour set in an attributed title stays when the row
// is highlighted, so the grey times and the red "Quit Windows App" are hard to read on the
// selection. On macOS 11 to 15 the highlighted row shows its colourless title, put back when the
// highlight moves on or the menu closes. On macOS 26 and later nothing is rewritten during
// tracking: there a title replaced while the menu is open clips its last row, and the system's
// own highlight is drawn under the text.
@interface VLMenuTracker : NSObject <NSMenuDelegate>
- (instancetype)initWithTracking:(const velmora::MenuTracking&)tracking;
// Gives `item` this title, or its colourless form while it is the highlighted row.
- (void)assignTitle:(NSAttributedString*)title toItem:(NSMenuItem*)item;
@end

@implementation VLMenuTracker {
  velmora::MenuTracking _tracking;
  __weak NSMenuItem* _highlighted;
  NSAttributedString* _highlightedTitle;  // its title in colour, to put back
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
  [self restoreHighlighted];
  // AppKit sends the chosen row's action after this; the core hears of the close after it, so
  // that a menu built anew then does not release the row being chosen.
  const velmora::MenuTracking tracking = _tracking;
  dispatch_async(dispatch_get_main_queue(), ^{
    if (tracking) tracking(false);
  });
}

- (void)menu:(NSMenu*)menu willHighlightItem:(NSMenuItem*)item {
  (void)menu;
  if (@available(macOS 26, *)) return;
  [self restoreHighlighted];
  NSAttributedString* plain = objc_getAssociatedObject(item, &kPlainTitleKey);
  if (item == nil || plain == nil) return;
  _highlighted = item;
  _highlightedTitle = item.attributedTitle;
  item.attributedTitle = plain;
}

- (void)restoreHighlighted {
  NSMenuItem* item = _highlighted;
  if (item != nil && _highlightedTitle != nil) item.attributedTitle = _highlightedTitle;
  _highlighted = nil;
  _highlightedTitle = nil;
}

- (void)assignTitle:(NSAttributedString*)title toItem:(NSMenuItem*)item {
  NSAttributedString* plain = objc_getAssociatedObject(item, &kPlainTitleKey);
  if (item == _highlighted && plain != nil) {
    _highlightedTitle = title;
    item.attributedTitle = plain;
  } else {
    item.attributedTitle = title;
  }
}

@end

namespace velmora::mac {
namespace {

// Key under which a menu holds the targets of its items (NSMenuItem keeps its target weakly).
char kMenuTargetsKey;

// The widest secondary text a ticking row shows for four days: the time column keeps this much
// room, so that it does not move when "59s" becomes "1m 0s".
constexpr std::string_view kWidestTime = "\u2265 99h 59m 59s";
constexpr double kDetailGap = 24.0;

// A secondary text: digits of one width, so a ticking time does not shake, in the secondary
// label colour (none for the highlighted form).
NSAttributedString* detailText(const std::string& text, const TextStyle& style, bool coloured) {
  NSMutableDictionary<NSAttributedStringKey, id>* attributes = [NSMutableDictionary dictionary];
  attributes[NSFontAttributeName] = [NSFont monospacedDigitSystemFontOfSize:style.fontSize
                                                                     weight:NSFontWeightRegular];
  if (coloured) attributes[NSForegroundColorAttributeName] = platformColor(kSecondaryLabel);
  return [[NSAttributedString alloc] initWithString:nsString(text) attributes:attributes];
}

TextStyle styleOf(const MenuEntry& entry) {
  return menuTextStyle(entry.style).value_or(TextStyle{});
}

// Where the secondary texts of `entries` end, right-aligned at one tab stop for the whole menu:
// past the widest title, as the fonts measure it, with room for the widest time.
double detailTabStop(const std::vector<MenuEntry>& entries) {
  double widest = 0.0;
  for (const MenuEntry& entry : entries) {
    if (entry.detail.empty()) continue;
    const TextStyle style = styleOf(entry);
    const double title = attributedText(entry.title, style).size.width;
    const double detail = std::max(detailText(entry.detail, style, true).size.width,
                                   detailText(std::string(kWidestTime), style, true).size.width);
    widest = std::max(widest, title + kDetailGap + detail);
  }
  return widest;
}

// The row's title, then a tab and its secondary text.
NSAttributedString* titleWithDetail(const MenuEntry& entry, double tabStop, bool coloured) {
  TextStyle style = styleOf(entry);
  if (!coloured) style.color.reset();
  NSMutableAttributedString* title = [[NSMutableAttributedString alloc] init];
  [title appendAttributedString:attributedText(entry.title + "\t", style)];
  [title appendAttributedString:detailText(entry.detail, style, coloured)];
  NSMutableParagraphStyle* paragraph = [[NSMutableParagraphStyle alloc] init];
  paragraph.tabStops = @[ [[NSTextTab alloc] initWithTextAlignment:NSTextAlignmentRight
                                                          location:tabStop
                                                           options:@{}] ];
  [title addAttribute:NSParagraphStyleAttributeName
                value:paragraph
                range:NSMakeRange(0, title.length)];
  return title;
}

// The row's attributed title, coloured or not; nil for a plain title.
NSAttributedString* styledTitle(const MenuEntry& entry, double tabStop, bool coloured) {
  if (!entry.detail.empty()) return titleWithDetail(entry, tabStop, coloured);
  std::optional<TextStyle> style = menuTextStyle(entry.style);
  if (!style) return nil;
  if (!coloured) style->color.reset();
  return attributedText(entry.title, *style);
}

// The title, and the colourless one for the highlight when the row has colours.
void setTitles(NSMenuItem* item, const MenuEntry& entry, double tabStop, VLMenuTracker* tracker) {
  NSAttributedString* title = styledTitle(entry, tabStop, true);
  const bool coloured = !entry.detail.empty() || styleOf(entry).color.has_value();
  objc_setAssociatedObject(item, &kPlainTitleKey,
                           coloured ? styledTitle(entry, tabStop, false) : nil,
                           OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  if (title == nil) {
    item.attributedTitle = nil;  // a row changed in place may have had one
    item.title = nsString(entry.title);
  } else {
    [tracker assignTitle:title toItem:item];
  }
}

// Everything of a row but its submenu: titles, state, action and target.
void configure(NSMenuItem* item, const MenuEntry& entry, const MenuChoice& onChoose,
               NSMutableArray<VLMenuTarget*>* targets, double tabStop, VLMenuTracker* tracker) {
  setTitles(item, entry, tabStop, tracker);
  item.keyEquivalent = nsString(entry.keyEquivalent);
  item.enabled = entry.enabled;
  item.state = entry.checked ? NSControlStateValueOn : NSControlStateValueOff;
  item.action = entry.action == MenuAction::kNone
                    ? nullptr
                    : NSSelectorFromString(nsString(selectorName(entry.action)));
  item.representedObject = entry.representedObject ? nsString(*entry.representedObject) : nil;
  // A row changed in place keeps its target, so an open menu's ticks make no new ones.
  VLMenuTarget* target = [item.target isKindOfClass:[VLMenuTarget class]] ? item.target : nil;
  if (item.action == nullptr) {
    target = nil;
  } else if (target != nil) {
    [target setEntry:entry];
  } else {
    target = [[VLMenuTarget alloc] initWithEntry:entry choice:onChoose];
    [targets addObject:target];
  }
  item.target = target;
}

NSMenu* menuOf(const std::vector<MenuEntry>& entries, const MenuChoice& onChoose,
               NSMutableArray<VLMenuTarget*>* targets, VLMenuTracker* tracker) {
  NSMenu* menu = [[NSMenu alloc] init];
  menu.autoenablesItems = NO;  // the entries decide which rows are enabled
  const double tabStop = detailTabStop(entries);
  for (const MenuEntry& entry : entries) {
    if (entry.separator) {
      [menu addItem:[NSMenuItem separatorItem]];
      continue;
    }
    NSMenuItem* item = [[NSMenuItem alloc] initWithTitle:@"" action:nullptr keyEquivalent:@""];
    configure(item, entry, onChoose, targets, tabStop, tracker);
    if (!entry.submenu.empty()) item.submenu = menuOf(entry.submenu, onChoose, targets, tracker);
    [menu addItem:item];
  }
  return menu;
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
      targets_ = [NSMutableArray array];
      NSMenu* menu = menuOf(entries, onChoose_, targets_, tracker_);
      menu.delegate = tracker_;
      objc_setAssociatedObject(menu, &kMenuTargetsKey, targets_, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
      item_.menu = menu;
      shown_ = entries;
      tabStop_ = detailTabStop(entries);
    } @catch (NSException*) {
    }
  }

  // Row by row, only those that changed: any assignment makes an open menu lay itself out
  // again. The time column stays where the menu was built with it.
  void updateMenu(const std::vector<MenuEntry>& entries) override {
    NSMenu* menu = item_.menu;
    if (menu == nil || !sameRows(shown_, entries) ||
        menu.numberOfItems != static_cast<NSInteger>(entries.size())) {
      return;
    }
    NSArray<NSMenuItem*>* items = menu.itemArray;
    for (const std::size_t i : changedRows(shown_, entries)) {
      configure(items[i], entries[i], onChoose_, targets_, tabStop_, tracker_);
    }
    shown_ = entries;
  }

 private:
  NSStatusItem* item_;
  MenuChoice onChoose_;
  VLMenuTracker* tracker_;                        // the menus' delegate, which they hold weakly
  NSMutableArray<VLMenuTarget*>* targets_ = nil;  // the menu's, which it holds
  std::vector<MenuEntry> shown_;
  double tabStop_ = 0.0;
};

}  // namespace

std::unique_ptr<StatusItem> MacStatusBar::createStatusItem(MenuChoice onChoose,
                                                           MenuTracking onTracking) {
  NSStatusItem* item =
      [[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength];
  return std::make_unique<MacStatusItem>(item, std::move(onChoose), std::move(onTracking));
}

}  // namespace velmora::mac
