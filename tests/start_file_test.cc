#include "clock/start_file.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

#include "tests/temp_home.h"

namespace velmora {
namespace {

using testing::contentOf;
using testing::plant;
using testing::TempHome;

constexpr std::optional<double> kNone = std::nullopt;

// One case per rule of the reader. fuzz/start_file_fuzz.cc checks that whatever it accepts is
// finite and reads back from the writer's text.
TEST(ParseStartMomentTest, AcceptsExactlyOneWholeFiniteNumber) {
  const struct {
    std::string text;
    double moment;
  } accepted[] = {
      {"1700000000.5", 1700000000.5},
      {"\t\r\n\v\f1700000000.5\r\n ", 1700000000.5},
      // Unicode white space and line ends: NBSP, ideographic space, NEL, LS, PS.
      {"\u00A01700000000.5\u3000", 1700000000.5},
      {"\u0085\u2028 1e3 \u2029", 1000.0},
      {"1E+3", 1000.0},
      {"+5", 5.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"-0x1.8p1", -3.0},
      {"0x1e3", 483.0},  // no exponent in hexadecimal
      {"0X1P10", 1024.0},
      {"1.7976931348623157e308", std::numeric_limits<double>::max()},
      {"1700000000.50000000000000000000001", 1700000000.5},
  };
  for (const auto& c : accepted) EXPECT_EQ(parseStartMoment(c.text), c.moment) << c.text;
  EXPECT_TRUE(std::signbit(parseStartMoment("-0.0").value_or(1.0)));

  // Underflow counts, to zero and to subnormal values whether or not they are exact; digits of
  // other scripts are not C-locale digits; "\xc0\xb1" is an overlong "1".
  const char* const rejected[] = {
      "",        "   ",          "12abc",        "1700000000.5\n1700000001.5",
      "1 2",     "1700000000,5", "1e+",          "+-1",
      ".",       "0x1p",         "1e400",        "0x1p1024",
      "1e-400",  "-1e-310",      "0x1p-1074",    "nan",
      "-inf",    "Infinity",     "\uFF11\uFF12", "1700000000.5\xff",
      "\xc0\xb1"};
  for (const char* text : rejected) EXPECT_EQ(parseStartMoment(text), kNone) << text;
  EXPECT_EQ(parseStartMoment(std::string{'1', '7', '\0', '0', '0'}), kNone);  // a NUL inside
  EXPECT_EQ(parseStartMoment(std::string("1700000000.5\0", 13)), kNone);
}

// Restores the process locale when the test ends, however it ends.
struct ScopedLocale {
  std::string saved = ::setlocale(LC_ALL, nullptr);
  ~ScopedLocale() { ::setlocale(LC_ALL, saved.c_str()); }
};

TEST(StartMomentLocaleTest, ReadsAndWritesTheSameUnderADecimalCommaLocale) {
  ScopedLocale locale;
  bool comma = false;  // the first of a few locales that write numbers with a decimal comma
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                           "nl_NL.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8", "ru_RU.UTF-8"}) {
    comma = comma || ::setlocale(LC_ALL, name) != nullptr;
  }
  if (!comma) {
    GTEST_SKIP() << "no decimal-comma locale installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  }
  // Proof that the locale is in force: the plain C library now reads a comma.
  ASSERT_EQ(std::strtod("0,5", nullptr), 0.5);
  EXPECT_EQ(parseStartMoment("1700000000.5"), 1700000000.5);
  EXPECT_EQ(parseStartMoment("1700000000,5"), kNone);
  EXPECT_EQ(parseStartMoment("0x1.8p1"), 3.0);
  EXPECT_EQ(formatStartMoment(1700000000.5), "1700000000.5");
}

TEST(FormatStartMomentTest, WritesShortestPlainDecimalWithAPoint) {
  const struct {
    double moment;
    const char* text;
  } cases[] = {
      {1700000000.0, "1700000000.0"},
      {1765432109.1234567, "1765432109.1234567"},
      {0.1, "0.1"},
      {-5.0, "-5.0"},
      {1e-7, "0.0000001"},
      {1e22, "10000000000000000000000.0"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {std::nan(""), "nan"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatStartMoment(c.moment), c.text);
  // The widest texts still fit.
  EXPECT_EQ(formatStartMoment(std::numeric_limits<double>::max()).size(), 311u);
  EXPECT_EQ(formatStartMoment(-std::numeric_limits<double>::denorm_min()).size(), 327u);
}

class StartFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.valid());
    std::filesystem::create_directories(paths.kStateDir);
  }

  TempHome home;
  StatePaths paths = home.paths();
};

TEST_F(StartFileTest, WritesOnlyFiniteMomentsPrivatelyAndReadsThemBack) {
  ASSERT_TRUE(writeStart(paths, 1765432109.1234567));
  EXPECT_EQ(contentOf(paths.kStateFile), "1765432109.1234567");
  EXPECT_EQ(testing::modeOf(paths.kStateFile), 0600);
  EXPECT_EQ(readStart(paths), 1765432109.1234567);
  EXPECT_FALSE(writeStart(paths, std::nan("")));
  EXPECT_FALSE(writeStart(paths, -std::numeric_limits<double>::infinity()));
  EXPECT_EQ(contentOf(paths.kStateFile), "1765432109.1234567");

  std::filesystem::remove_all(paths.kStateDir);
  EXPECT_FALSE(writeStart(paths, 1700000000.5));
  EXPECT_FALSE(std::filesystem::exists(paths.kStateDir));
}

// Only a regular file of at most kMaxStartFileBytes (or a link to one) is read; a FIFO never
// blocks the reader.
TEST_F(StartFileTest, ReadsOnlyARegularFileUpToTheSizeCap) {
  const std::string number = "1700000000.5";
  const std::string fits = number + std::string(kMaxStartFileBytes - number.size(), ' ');
  ASSERT_TRUE(plant(paths.kStateFile, fits));
  EXPECT_EQ(readStart(paths), 1700000000.5);
  ASSERT_TRUE(plant(paths.kStateFile, fits + " "));
  EXPECT_EQ(readStart(paths), kNone);

  std::filesystem::remove(paths.kStateFile);
  EXPECT_EQ(readStart(paths), kNone);
  ASSERT_EQ(::mkfifo(paths.kStateFile.c_str(), 0600), 0);
  EXPECT_EQ(readStart(paths), kNone);
  std::filesystem::remove(paths.kStateFile);
  ASSERT_TRUE(std::filesystem::create_directory(paths.kStateFile));
  EXPECT_EQ(readStart(paths), kNone);
  std::filesystem::remove(paths.kStateFile);
  ASSERT_TRUE(plant(home.path() + "/elsewhere", "1e3"));
  ASSERT_EQ(::symlink((home.path() + "/elsewhere").c_str(), paths.kStateFile.c_str()), 0);
  EXPECT_EQ(readStart(paths), 1000.0);
}

TEST_F(StartFileTest, ClearRemovesTheFileOrTheLinkOnly) {
  ASSERT_TRUE(writeStart(paths, 1700000000.5));
  EXPECT_TRUE(clearStart(paths));
  EXPECT_FALSE(std::filesystem::exists(paths.kStateFile));
  EXPECT_FALSE(clearStart(paths));  // nothing there: nothing happens
  EXPECT_TRUE(std::filesystem::is_directory(paths.kStateDir));

  const std::string elsewhere = home.path() + "/elsewhere";
  ASSERT_TRUE(plant(elsewhere, "1e3"));
  ASSERT_EQ(::symlink(elsewhere.c_str(), paths.kStateFile.c_str()), 0);
  EXPECT_TRUE(clearStart(paths));
  EXPECT_FALSE(std::filesystem::is_symlink(paths.kStateFile));
  EXPECT_EQ(contentOf(elsewhere), "1e3");

  ASSERT_TRUE(std::filesystem::create_directory(paths.kStateFile));
  ASSERT_TRUE(plant(paths.kStateFile + "/keep", "x"));
  EXPECT_FALSE(clearStart(paths));
  EXPECT_EQ(contentOf(paths.kStateFile + "/keep"), "x");
}

}  // namespace
}  // namespace velmora
