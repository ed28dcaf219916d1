#include "clock/start_file.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "tests/temp_home.h"

namespace velmora {
namespace {

using testing::contentOf;
using testing::modeOf;
using testing::namesIn;
using testing::plant;
using testing::TempHome;

// ---- Parsing ------------------------------------------------------------------------------

struct ParseCase {
  std::string text;
  std::optional<double> moment;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.text);
}

class ParseStartMomentTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseStartMomentTest, AcceptsExactlyOneWholeFiniteNumber) {
  EXPECT_EQ(parseStartMoment(GetParam().text), GetParam().moment);
}

constexpr std::optional<double> kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Accepted, ParseStartMomentTest,
    ::testing::Values(ParseCase{"1700000000.5", 1700000000.5},
                      ParseCase{"1700000000.5\n", 1700000000.5},
                      ParseCase{"  1700000000.5  ", 1700000000.5},
                      ParseCase{"\t\r\n\v\f1700000000.5\r\n", 1700000000.5},
                      // Unicode white space and line ends are trimmed too: NBSP, ideographic space,
                      // NEL, line and paragraph separators.
                      ParseCase{"\u00A01700000000.5\u3000", 1700000000.5},
                      ParseCase{"\u0085\u2028 1e3 \u2029", 1000.0}, ParseCase{"1e3", 1000.0},
                      ParseCase{"1E3", 1000.0}, ParseCase{"1e+3", 1000.0}, ParseCase{"+5", 5.0},
                      ParseCase{"-5.25", -5.25}, ParseCase{".5", 0.5}, ParseCase{"5.", 5.0},
                      ParseCase{"0", 0.0}, ParseCase{"-0.0", -0.0}, ParseCase{"0x1p10", 1024.0},
                      ParseCase{"0X1P10", 1024.0}, ParseCase{"-0x1.8p1", -3.0},
                      ParseCase{"0x10", 16.0}, ParseCase{"0x1e3", 483.0}, ParseCase{"0x.8", 0.5},
                      ParseCase{"1.7976931348623157e308", std::numeric_limits<double>::max()},
                      ParseCase{"2.2250738585072014e-308", std::numeric_limits<double>::min()},
                      ParseCase{"1700000000.50000000000000000000001", 1700000000.5}));

INSTANTIATE_TEST_SUITE_P(
    Rejected, ParseStartMomentTest,
    ::testing::Values(
        ParseCase{"", kNone}, ParseCase{"   ", kNone}, ParseCase{"\n", kNone},
        ParseCase{"abc", kNone}, ParseCase{"12abc", kNone},
        ParseCase{"1700000000.5\n1700000001.5", kNone}, ParseCase{"1700000000,5", kNone},
        ParseCase{"1 2", kNone}, ParseCase{"1.2.3", kNone}, ParseCase{"1_000", kNone},
        ParseCase{"1e", kNone}, ParseCase{"1e+", kNone}, ParseCase{"+-1", kNone},
        ParseCase{"--1", kNone}, ParseCase{"- 1", kNone}, ParseCase{".", kNone},
        ParseCase{"0x", kNone}, ParseCase{"0x1p", kNone}, ParseCase{"0x1p10x", kNone},
        ParseCase{"0xg", kNone}, ParseCase{"1e400", kNone}, ParseCase{"-1e400", kNone},
        ParseCase{"0x1p1024", kNone},
        // Underflow: to zero, and to subnormal values whether or not they are exact.
        ParseCase{"1e-400", kNone}, ParseCase{"1e-310", kNone}, ParseCase{"-1e-310", kNone},
        ParseCase{"0x1p-1074", kNone}, ParseCase{"4.9406564584124654e-324", kNone},
        ParseCase{"nan", kNone}, ParseCase{"NaN", kNone}, ParseCase{"nan(123)", kNone},
        ParseCase{"inf", kNone}, ParseCase{"-inf", kNone}, ParseCase{"Infinity", kNone},
        ParseCase{"0xinf", kNone},
        // Digits of other scripts are not C-locale digits.
        ParseCase{"\uFF11\uFF12", kNone}, ParseCase{"\u0661\u0662", kNone},
        // Invalid UTF-8, including an overlong "1" and a bad byte after a valid number.
        ParseCase{"1700000000.5\xff", kNone}, ParseCase{"\xc0\xb1", kNone},
        ParseCase{std::string("17\0"
                              "00",
                              5),
                  kNone},
        ParseCase{std::string("1700000000.5\0", 13), kNone}));

// Restores the process locale when the test ends, however it ends.
class ScopedLocale {
 public:
  ScopedLocale() : saved_(::setlocale(LC_ALL, nullptr)) {}
  ~ScopedLocale() { ::setlocale(LC_ALL, saved_.c_str()); }
  // Switches to the first of a few locales that write numbers with a decimal comma.
  bool useDecimalComma() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                             "nl_NL.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8", "ru_RU.UTF-8"}) {
      if (::setlocale(LC_ALL, name) != nullptr) return true;
    }
    return false;
  }

 private:
  std::string saved_;
};

TEST(StartMomentLocaleTest, ReadsAndWritesTheSameUnderADecimalCommaLocale) {
  ScopedLocale locale;
  if (!locale.useDecimalComma()) {
    GTEST_SKIP() << "no decimal-comma locale installed (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
  }
  // Proof that the locale is in force: the plain C library now reads a comma.
  ASSERT_STREQ(::localeconv()->decimal_point, ",");
  ASSERT_EQ(std::strtod("0,5", nullptr), 0.5);

  EXPECT_EQ(parseStartMoment("1700000000.5"), 1700000000.5);
  EXPECT_EQ(parseStartMoment("1700000000,5"), kNone);
  EXPECT_EQ(parseStartMoment("0x1.8p1"), 3.0);
  EXPECT_EQ(formatStartMoment(1700000000.5), "1700000000.5");
  EXPECT_EQ(formatStartMoment(1700000000.0), "1700000000.0");
}

// ---- Formatting ---------------------------------------------------------------------------

TEST(FormatStartMomentTest, WritesShortestPlainDecimalWithAPoint) {
  EXPECT_EQ(formatStartMoment(1700000000.0), "1700000000.0");
  EXPECT_EQ(formatStartMoment(1700000000.5), "1700000000.5");
  EXPECT_EQ(formatStartMoment(1765432109.1234567), "1765432109.1234567");
  EXPECT_EQ(formatStartMoment(0.1), "0.1");
  EXPECT_EQ(formatStartMoment(0.0), "0.0");
  EXPECT_EQ(formatStartMoment(-5.0), "-5.0");
  EXPECT_EQ(formatStartMoment(1e-7), "0.0000001");
  EXPECT_EQ(formatStartMoment(1e22), "10000000000000000000000.0");
  EXPECT_EQ(formatStartMoment(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(formatStartMoment(std::nan("")), "nan");
  // The widest texts still fit.
  EXPECT_EQ(formatStartMoment(std::numeric_limits<double>::max()).size(), 311u);
  EXPECT_EQ(formatStartMoment(-std::numeric_limits<double>::denorm_min()).size(), 327u);
}

bool isPresentDayText(const std::string& text) {
  std::size_t point = text.find('.');
  if (point != 10 || text.size() < 12 || text.size() > 18) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != point && (text[i] < '0' || text[i] > '9')) return false;
  }
  return true;
}

TEST(FormatStartMomentTest, PresentDayMomentsReadBackExactly) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> moments(1e9, 1e10);
  for (int i = 0; i < 20000; ++i) {
    double moment = i % 4 == 0 ? std::floor(moments(random)) : moments(random);
    std::string text = formatStartMoment(moment);
    ASSERT_TRUE(isPresentDayText(text)) << text;
    if (moment == std::floor(moment)) {
      ASSERT_EQ(text.substr(10), ".0") << text;
    }
    ASSERT_EQ(parseStartMoment(text), moment) << text;
  }
}

TEST(FormatStartMomentTest, EveryNormalDoubleReadsBackExactly) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isnormal(value)) continue;
    std::string text = formatStartMoment(value);
    ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
    ASSERT_EQ(parseStartMoment(text), value) << text;
  }
}

// ---- The file -----------------------------------------------------------------------------

class StartFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home.valid());
    std::filesystem::create_directories(paths.kStateDir);
  }
  bool store(const std::string& bytes) { return plant(paths.kStateFile, bytes); }

  TempHome home;
  StatePaths paths = home.paths();
};

TEST_F(StartFileTest, WriteThenReadGivesTheSameMoment) {
  ASSERT_TRUE(writeStart(paths, 1765432109.1234567));
  EXPECT_EQ(contentOf(paths.kStateFile), "1765432109.1234567");
  EXPECT_EQ(modeOf(paths.kStateFile), 0600);
  EXPECT_EQ(readStart(paths), 1765432109.1234567);
  ASSERT_TRUE(writeStart(paths, 1700000000.0));
  EXPECT_EQ(contentOf(paths.kStateFile), "1700000000.0");
  EXPECT_EQ(namesIn(paths.kStateDir), std::vector<std::string>{"session_start"});
}

TEST_F(StartFileTest, NonFiniteMomentsAreNotWritten) {
  ASSERT_TRUE(store("1700000000.5"));
  EXPECT_FALSE(writeStart(paths, std::nan("")));
  EXPECT_FALSE(writeStart(paths, -std::numeric_limits<double>::infinity()));
  EXPECT_EQ(contentOf(paths.kStateFile), "1700000000.5");
}

TEST_F(StartFileTest, WriteFailsWithoutTheStateDirectory) {
  std::filesystem::remove(paths.kStateDir);
  EXPECT_FALSE(writeStart(paths, 1700000000.5));
  EXPECT_FALSE(std::filesystem::exists(paths.kStateDir));
}

TEST_F(StartFileTest, ReadsWhatALenientReaderWould) {
  ASSERT_TRUE(store(" 1700000000.5\r\n"));
  EXPECT_EQ(readStart(paths), 1700000000.5);
  ASSERT_TRUE(store("1700000000.5\n1700000001.5\n"));
  EXPECT_EQ(readStart(paths), kNone);
  ASSERT_TRUE(store("1700000000.5\xfe"));
  EXPECT_EQ(readStart(paths), kNone);
  ASSERT_TRUE(store(""));
  EXPECT_EQ(readStart(paths), kNone);
}

TEST_F(StartFileTest, MissingFileGivesNoMoment) {
  EXPECT_EQ(readStart(paths), kNone);
}

TEST_F(StartFileTest, DirectoryOrFifoAtThePathGivesNoMomentWithoutBlocking) {
  ASSERT_TRUE(std::filesystem::create_directory(paths.kStateFile));
  EXPECT_EQ(readStart(paths), kNone);
  std::filesystem::remove(paths.kStateFile);
  ASSERT_EQ(::mkfifo(paths.kStateFile.c_str(), 0600), 0);
  EXPECT_EQ(readStart(paths), kNone);
}

TEST_F(StartFileTest, FollowsASymbolicLinkWhenReading) {
  std::string elsewhere = home.path() + "/elsewhere";
  ASSERT_TRUE(plant(elsewhere, "1e3"));
  ASSERT_EQ(::symlink(elsewhere.c_str(), paths.kStateFile.c_str()), 0);
  EXPECT_EQ(readStart(paths), 1000.0);
}

TEST_F(StartFileTest, AcceptsPaddingUpToTheSizeCapOnly) {
  std::string number = "1700000000.5";
  std::string fits = number + std::string(kMaxStartFileBytes - number.size(), ' ');
  ASSERT_TRUE(store(fits));
  EXPECT_EQ(readStart(paths), 1700000000.5);
  ASSERT_TRUE(store(fits + " "));
  EXPECT_EQ(readStart(paths), kNone);
}

TEST_F(StartFileTest, AHugeFileIsRejectedWithoutBeingReadWhole) {
  {
    std::ofstream out(paths.kStateFile, std::ios::binary);
    std::string spaces(1 << 20, ' ');
    for (int i = 0; i < 100; ++i) out << spaces;
    out << "1700000000.5";
  }
  EXPECT_EQ(readStart(paths), kNone);
}

TEST_F(StartFileTest, AConcurrentReaderAlwaysFindsAMoment) {
  ASSERT_TRUE(writeStart(paths, 1700000000.5));
  int stop[2];
  ASSERT_EQ(::pipe(stop), 0);
  pid_t reader = ::fork();
  ASSERT_GE(reader, 0);
  if (reader == 0) {
    ::close(stop[1]);
    for (;;) {
      pollfd done{stop[0], POLLIN, 0};
      if (::poll(&done, 1, 0) > 0) ::_exit(0);
      std::optional<double> moment = readStart(paths);
      if (!moment || *moment < 1700000000.0) ::_exit(1);
    }
  }
  ::close(stop[0]);
  int failures = 0;
  for (int i = 0; i < 1000; ++i) failures += writeStart(paths, 1700000000.0 + i * 0.25) ? 0 : 1;
  ::close(stop[1]);
  int status = 0;
  ASSERT_EQ(::waitpid(reader, &status, 0), reader);
  EXPECT_EQ(failures, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(StartFileTest, ClearRemovesTheFileOrTheLinkOnly) {
  ASSERT_TRUE(writeStart(paths, 1700000000.5));
  EXPECT_TRUE(clearStart(paths));
  EXPECT_FALSE(std::filesystem::exists(paths.kStateFile));
  EXPECT_FALSE(clearStart(paths));  // nothing there: nothing happens
  EXPECT_TRUE(std::filesystem::is_directory(paths.kStateDir));

  std::string elsewhere = home.path() + "/elsewhere";
  ASSERT_TRUE(plant(elsewhere, "1e3"));
  ASSERT_EQ(::symlink(elsewhere.c_str(), paths.kStateFile.c_str()), 0);
  EXPECT_TRUE(clearStart(paths));
  EXPECT_FALSE(std::filesystem::is_symlink(paths.kStateFile));
  EXPECT_EQ(contentOf(elsewhere), "1e3");
}

TEST_F(StartFileTest, ClearLeavesADirectoryWithContentAlone) {
  ASSERT_TRUE(std::filesystem::create_directory(paths.kStateFile));
  ASSERT_TRUE(plant(paths.kStateFile + "/keep", "x"));
  EXPECT_FALSE(clearStart(paths));
  EXPECT_EQ(contentOf(paths.kStateFile + "/keep"), "x");
}

}  // namespace
}  // namespace velmora
