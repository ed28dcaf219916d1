// The headless simulator's output: one JSON object a line for everything the tracker shows or
// asks for, each stamped with the simulation time.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <ostream>
#include <string>

#include "platform/sim/line_output.h"
#include "platform/sim/sim_observer.h"

namespace velmora::sim {

class JsonLinesWriter final : public SimObserver {
 public:
  // `now` gives the simulation time in seconds for the "t" field.
  JsonLinesWriter(std::ostream& out, std::function<double()> now)
      : out_(out), now_(std::move(now)) {}

  // Whether a line could not be written, and why.
  [[nodiscard]] const LineOutput& output() const { return out_; }

  void onTitle(const std::vector<TitleRun>& runs) override;
  void onMenu(const std::vector<MenuEntry>& entries) override;
  void onReport(const std::string& report) override;
  void onScript(const std::string& source) override;
  void onActivate(int32_t pid, unsigned options) override;
  void onTerminate(int32_t pid) override;
  void onPasteboard(const std::string& text) override;
  void onOpenUrl(const std::string& url) override;
  void onChoice(const std::string& kind, const std::string& choice,
                const std::string& error) override;
  void onExit(const std::string& reason) override;

 private:
  void write(const char* event, nlohmann::json fields);

  LineOutput out_;
  std::function<double()> now_;
};

}  // namespace velmora::sim
