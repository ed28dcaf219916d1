#include "platform/sim/scenario/built_in_story.h"

namespace velmora::sim {

std::string_view builtInStoryJson() {
  return R"json({
  "until": 120,
  "events": [
    {"at": 0, "client": {"instances": 0}},

    {"at": 8, "client": {"pid": 4242, "ax": {"windows": [
      {"title": "Connection Center", "subrole": "AXStandardWindow", "size": [820, 560], "minimized": false}
    ]}}},

    {"at": 18, "client": {"pid": 4242, "ax": {"windows": [
      {"title": "Connection Center", "subrole": "AXStandardWindow", "size": [820, 560], "minimized": false},
      {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false}
    ]}}},

    {"at": 30, "client": {"pid": 4242, "ax": {"windows": [
      {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false},
      {"title": "Build Server \u2014 Ubuntu 24.04 (jump host via bastion)", "subrole": "AXStandardWindow", "size": [1024, 768], "minimized": false},
      {"title": "MSCTFIME UI", "subrole": "AXUnknown", "size": [1, 1], "minimized": false},
      {"title": "Connection Center", "subrole": "AXStandardWindow", "size": [820, 560], "minimized": true}
    ]}}},

    {"at": 45, "client": {"pid": 4242, "ax": {"windows": [
      {"title": "Devices", "subrole": "AXStandardWindow", "size": [1512, 982], "minimized": false},
      {"title": "Default IME", "subrole": "AXUnknown", "size": [1, 1], "minimized": false}
    ]}}},

    {"at": 62, "client": {"pid": 4242, "ax": {"windows": [
      {"title": "Build Server \u2014 Ubuntu 24.04 (jump host via bastion)", "subrole": "AXStandardWindow", "size": [1024, 768], "minimized": false},
      {"subrole": "AXUnknown", "size": [800, 600], "minimized": false},
      {"title": "", "subrole": "AXUnknown", "size": [1024, 640], "minimized": false}
    ]}}},

    {"at": 80, "client": {"pid": 4242, "ax": {"windows": [
      {"title": "Devices", "subrole": "AXStandardWindow", "size": [900, 640], "minimized": false}
    ]}}},

    {"at": 100, "client": {"instances": 0}}
  ]
})json";
}

}  // namespace velmora::sim
