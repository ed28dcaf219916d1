// velmora-sim's one error: whatever can fail returns std::variant<Value, SimError>, and only
// the program prints one ("velmora-sim: WHERE: MESSAGE", its controls shown visibly) and
// chooses the exit status.
#pragma once

#include <string>

namespace velmora::sim {

struct SimError {
  // What the error is in: a file, a line or JSON pointer in one, an argument; empty when the
  // message names it itself. Raw: it may quote input.
  std::string where;
  std::string message;  // what is wrong; raw too
};

}  // namespace velmora::sim
