// Unicode's own conformance files (Unicode 15.0, tests/data/unicode) against the one text
// layer of every platform (utf8proc 2.8.0, Unicode 15.0), every case of both files, none
// skipped: GraphemeBreakTest.txt against graphemeCount and takeGraphemes, NormalizationTest.txt
// against comparisonKey, isNfc and equivalent.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "text/text.h"
#include "text/utf8.h"

namespace velmora::text {
namespace {

struct DataLine {
  int number = 0;
  std::string text;  // without its comment
};

// The data lines of a file of the Unicode character database, plain or gzip-compressed.
std::vector<DataLine> dataLines(const std::string& name) {
  const std::string path = std::string(VELMORA_TEST_DATA) + "/unicode/" + name;
  std::vector<DataLine> lines;
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) return lines;
  char buffer[4096];
  for (int number = 1; gzgets(file, buffer, sizeof buffer) != nullptr; ++number) {
    std::string text(buffer);
    text = text.substr(0, text.find_first_of("#@\n"));
    if (text.find_first_not_of(" \t") != std::string::npos) lines.push_back({number, text});
  }
  gzclose(file);
  return lines;
}

// Fails the test with the file's line; only the first 20 failures of a file are shown.
bool expectTrue(bool ok, const DataLine& line, int& failures, const char* what) {
  if (!ok && ++failures <= 20) {
    ADD_FAILURE() << "line " << line.number << " (" << line.text << "): " << what;
  }
  return ok;
}

TEST(UnicodeConformanceTest, GraphemeBreakTest) {
  const std::vector<DataLine> lines = dataLines("GraphemeBreakTest.txt");
  ASSERT_EQ(lines.size(), 602U);
  int failures = 0;
  for (const DataLine& line : lines) {
    // "÷ 0020 × 0308 ÷ 000D ÷": code points with a break (÷) or none (×) between them.
    std::istringstream tokens(line.text);
    std::string text;
    std::vector<std::string> clusters;  // each start of the text that ends at a break
    for (std::string token; tokens >> token;) {
      if (token == "\u00F7" && !text.empty()) clusters.push_back(text);
      if (token != "\u00F7" && token != "\u00D7")
        appendUtf8(text, static_cast<char32_t>(std::stoul(token, nullptr, 16)));
    }
    expectTrue(graphemeCount(text) == clusters.size(), line, failures, "graphemeCount");
    for (std::size_t n = 1; n <= clusters.size(); ++n) {
      if (!expectTrue(takeGraphemes(text, n) == clusters[n - 1], line, failures, "takeGraphemes"))
        break;
    }
  }
  EXPECT_EQ(failures, 0) << "failed checks in all";
}

TEST(UnicodeConformanceTest, NormalizationTest) {
  const std::vector<DataLine> lines = dataLines("NormalizationTest.txt.gz");
  ASSERT_EQ(lines.size(), 19074U);
  int failures = 0;
  for (const DataLine& line : lines) {
    // "c1;c2;c3;c4;c5;": c2 is the NFC of c1..c3, c4 that of c4 and c5 (their NFKC).
    std::istringstream fields(line.text);
    std::vector<std::string> c(5);
    for (std::string& text : c) {
      std::string field;
      std::getline(fields, field, ';');
      std::istringstream points(field);
      for (std::string hex; points >> hex;)
        appendUtf8(text, static_cast<char32_t>(std::stoul(hex, nullptr, 16)));
    }
    for (std::size_t i = 0; i < c.size(); ++i) {
      const std::string& nfc = i < 3 ? c[1] : c[3];
      expectTrue(comparisonKey(c[i]) == nfc, line, failures, "comparisonKey");
      expectTrue(isNfc(c[i]) == (c[i] == nfc), line, failures, "isNfc");
      expectTrue(equivalent(c[i], c[i < 3 ? 0 : 4]), line, failures, "equivalent");
    }
    expectTrue(equivalent(c[0], c[4]) == (c[1] == c[3]), line, failures, "equivalent to NFKC");
  }
  EXPECT_EQ(failures, 0) << "failed checks in all";
}

}  // namespace
}  // namespace velmora::text
