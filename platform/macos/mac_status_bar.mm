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

@end

namespace velmora::mac {
namespace {

// Key under which a menu holds the targets of its items (NSMenuItem keeps its target weakly).
char kMenuTargetsKey;

NSMenuItem* menuItem(const MenuEntry& entry, const MenuChoice& onChoose,
                     NSMutableArray<VLMenuTarget*>* targets) {
  if (entry.separator) return [NSMenuItem separatorItem];
  const std::optional<TextStyle> style = menuTextStyle(entry.style);
  const SEL action = entry.action == MenuAction::kNone
                         ? nullptr
                         : NSSelectorFromString(nsString(selectorName(entry.action)));
  NSMenuItem* item = [[NSMenuItem alloc] initWithTitle:(style ? @"" : nsString(entry.title))
                                                action:action
                                         keyEquivalent:nsString(entry.keyEquivalent)];
  if (style) item.attributedTitle = attributedText(entry.title, *style);
  item.enabled = entry.enabled;
  item.state = entry.checked ? NSControlStateValueOn : NSControlStateValueOff;
  if (action != nullptr) {
    VLMenuTarget* target = [[VLMenuTarget alloc] initWithEntry:entry choice:onChoose];
    [targets addObject:target];
    item.target = target;
  }
  if (entry.representedObject) item.representedObject = nsString(*entry.representedObject);
  return item;
}

class MacStatusItem final : public StatusItem {
 public:
  MacStatusItem(NSStatusItem* item, MenuChoice onChoose)
      : item_(item), onChoose_(std::move(onChoose)) {}
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
      NSMenu* menu = [[NSMenu alloc] init];
      menu.autoenablesItems = NO;  // the entries decide which rows are enabled
      NSMutableArray<VLMenuTarget*>* targets = [NSMutableArray array];
      for (const MenuEntry& entry : entries) [menu addItem:menuItem(entry, onChoose_, targets)];
      objc_setAssociatedObject(menu, &kMenuTargetsKey, targets, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
      item_.menu = menu;
    } @catch (NSException*) {
    }
  }

 private:
  NSStatusItem* item_;
  MenuChoice onChoose_;
};

}  // namespace

std::unique_ptr<StatusItem> MacStatusBar::createStatusItem(MenuChoice onChoose) {
  NSStatusItem* item =
      [[NSStatusBar systemStatusBar] statusItemWithLength:NSVariableStatusItemLength];
  return std::make_unique<MacStatusItem>(item, std::move(onChoose));
}

}  // namespace velmora::mac
