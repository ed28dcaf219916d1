// The headless simulator's output: one JSON object a line for everything the tracker shows or
// asks for, each stamped with the simulation time, its keys in byte order.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/sim/desktop/sim_event_loop.h"
#include "platform/sim/desktop/sim_observer.h"
#include "platform/sim/output/line_output.h"

namespace velmora::sim {

class JsonLinesWriter final : public SimObserver {
 public:
  // Lines are written in batches of this many bytes, not one by one.
  static constexpr std::size_t kBatchBytes = std::size_t{64} << 10;

  // The "t" field is the time of `loop`, the simulation's; `loop` outlives the writer.
  JsonLinesWriter(std::ostream& out, const SimEventLoop& loop)
      : out_(out, kBatchBytes), loop_(loop) {}

  // Whether a line could not be written, and why.
  [[nodiscard]] const LineOutput& output() const { return out_; }
  // Writes the lines gathered so far; the "exit" line does so by itself.
  void flush() { out_.flush(); }

  void onTitle(const std::vector<TitleRun>& runs) override;
  void onMenu(const std::vector<MenuEntry>& entries) override;
  void onReport(const std::string& report, PassCause cause) override;
  void onScript(const std::string& source) override;
  void onActivate(int32_t pid, unsigned options) override;
  void onTerminate(int32_t pid) override;
  void onPasteboard(const std::string& text) override;
  void onOpenUrl(const std::string& url) override;
  void onTrustPrompt() override;
  void onWriteFailure(StateFile file, int error) override;
  void onChoice(const std::string& kind, const std::string& choice,
                const std::string& error) override;
  void onLoginItem(const LoginItemChange& change) override;
  void onNotifications(const NotificationsChange& change) override;
  void onNotification(const std::string& title, const std::string& body) override;
  void onMenuTick(const std::vector<MenuEntry>& menu) override;
  void onHistory(const HistoryWrite& write) override;
  void onExport(const std::string& path, std::size_t rows) override;
  void onReveal(const std::string& path) override;
  void onMenuClosed(const std::string& why) override;
  void onExit(const std::string& reason) override;

 private:
  // A line of a single text field besides "event" and "t".
  void writeText(std::string_view event, std::string_view key, const std::string& text);
  // Appends `"t":` and the time.
  void appendTime(std::string& line);

  LineOutput out_;
  const SimEventLoop& loop_;
};

}  // namespace velmora::sim
