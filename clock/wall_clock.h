// Port to the current moment.
#pragma once

namespace velmora {

class WallClock {
 public:
  virtual ~WallClock() = default;
  // Seconds since 1970-01-01 00:00:00 UTC, fractions included.
  [[nodiscard]] virtual double now() = 0;
};

// A clock that reads what it was last set to; for tests and virtual time.
class FixedClock final : public WallClock {
 public:
  explicit FixedClock(double moment = 0.0) : moment_(moment) {}
  double now() override { return moment_; }
  void set(double moment) { moment_ = moment; }
  void advance(double seconds) { moment_ += seconds; }

 private:
  double moment_;
};

}  // namespace velmora
