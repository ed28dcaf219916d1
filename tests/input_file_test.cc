// The size limit of files named on velmora-sim's command line, at its boundary, for a regular
// file, a FIFO and a pipe (`<(...)`); the refusals (directory, device, a huge file) are the
// program tests' rows.
#include "platform/sim/scenario/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <variant>

#include "gtest/gtest.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

const std::string kContent("{\"a\":\0}", 7);  // read whole, past a NUL

// Reads what `input` makes ready and names, with room for the content and with one byte less.
void expectReadWholeWithinTheLimit(const std::function<std::string()>& input) {
  for (const std::size_t limit : {kContent.size(), kContent.size() - 1}) {
    const std::string path = input();
    const InputFileResult read = readInputFile(path, limit);
    const auto* text = std::get_if<std::string>(&read);
    EXPECT_EQ(text != nullptr ? *text : std::get<SimError>(read).message,
              limit == kContent.size() ? kContent : "larger than 6 bytes")
        << path;
  }
}

// Writes the content into `fifo` once something opens it for reading (for at most 5 s).
void writeOnceRead(const std::string& fifo) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int fd = -1;
  while ((fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 && errno == ENXIO &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_GE(fd, 0) << "nobody opened " << fifo;
  EXPECT_EQ(::write(fd, kContent.data(), kContent.size()), 7);
  ::close(fd);
}

TEST(InputFileTest, ReadsExactlyTheLimitAndRefusesOneByteMore) {
  testing::TempHome dir;
  const std::string file = dir.path() + "/f";
  ASSERT_TRUE(testing::plant(file, kContent));
  expectReadWholeWithinTheLimit([&] { return file; });

  // A FIFO: opening it waits for the writer, which comes later, as another program's would.
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer;
  expectReadWholeWithinTheLimit([&] {
    if (writer.joinable()) writer.join();
    writer = std::thread(writeOnceRead, fifo);
    return fifo;
  });
  writer.join();

  // A pipe, as the shell's `<(...)` names it.
  int ends[2] = {-1, -1};
  expectReadWholeWithinTheLimit([&] {
    if (ends[0] >= 0) ::close(ends[0]);
    EXPECT_EQ(::pipe(ends), 0);
    EXPECT_EQ(::write(ends[1], kContent.data(), kContent.size()), 7);
    ::close(ends[1]);
    return "/dev/fd/" + std::to_string(ends[0]);
  });
  ::close(ends[0]);
}

}  // namespace
}  // namespace velmora::sim
