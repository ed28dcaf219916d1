// JSON values written straight into a string, as velmora-sim's JSON Lines hold them: the bytes
// nlohmann::json::dump(-1, ' ', false, error_handler_t::replace) gave when the lines were built
// from its objects, without building any.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::sim {

// `text` between double quotes. Escaped: '"', '\\', and the controls below U+0020 (\b \t \n \f
// \r, the others as \u00xx in lower case); every other character stays as it is (DEL, C1
// controls and all non-ASCII text included). Bytes that are not UTF-8 become U+FFFD, one for
// each maximal ill-formed part (a cut-off sequence or a byte that starts none).
void appendJsonString(std::string& out, std::string_view text);

// `value` in the fewest digits that read back as it: "5.0" for a whole number, "0.25"; from 1e15
// up and below 0.0001 with an exponent ("1e+15", "1.5e-05"); "null" for NaN and the
// infinities, which JSON cannot hold.
void appendJsonNumber(std::string& out, double value);

void appendJsonInteger(std::string& out, int64_t value);

}  // namespace velmora::sim
