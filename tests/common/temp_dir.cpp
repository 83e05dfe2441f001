#include "temp_dir.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  dir = fs::temp_directory_path() /
        ("hb_files_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  fs::remove_all(dir);
  fs::create_directories(dir);
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(dir, ec);
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool endsWithoutAPipeWriter(const std::string& fifo, const std::function<void()>& work) {
  std::future<void> done = std::async(std::launch::async, work);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return true;
  // Opening without blocking succeeds only while a reader waits.
  while (done.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) close(fd);
  }
  return false;
}
