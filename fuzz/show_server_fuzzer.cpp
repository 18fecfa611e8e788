// The live view's HTTP front: request lines, headers and bodies as the server library parses them,
// then our routing (the target limit, the built-in page files, pictures by content name, the event
// stream, the control addresses with their token) and the error handler. Requests come from memory
// instead of a socket, several per input as on a kept-alive connection; the answers go nowhere.
#include <httplib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "host/ooxml/package_presentation.h"
#include "show_server.h"

namespace {

// A connection whose peer sent the input and reads at most a few answers.
class MemoryStream : public httplib::Stream {
 public:
  MemoryStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool is_readable() const override { return true; }
  bool is_writable() const override { return writes_ < kMaxWrites; }
  ssize_t read(char* out, size_t size) override {
    size_t count = std::min(size, size_ - at_);
    std::memcpy(out, data_ + at_, count);
    at_ += count;
    return static_cast<ssize_t>(count);
  }
  ssize_t write(const char*, size_t size) override {
    // An event stream never ends by itself: the viewer goes away after a few writes.
    if (++writes_ > kMaxWrites) return -1;
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 50000;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 8080;
  }
  socket_t socket() const override { return INVALID_SOCKET; }
  bool exhausted() const { return at_ >= size_; }

 private:
  static constexpr int kMaxWrites = 16;
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  int writes_ = 0;
};

// A server that takes its requests from a stream instead of accepting connections.
class MemoryServer : public httplib::Server {
 public:
  void Serve(MemoryStream& stream) {
    bool closed = false;
    for (int request = 0; request < 4 && !closed && !stream.exhausted(); ++request) {
      process_request(stream, request == 3, closed, nullptr);
    }
  }
};

struct Fixture {
  std::unique_ptr<vintrel::ooxml::PackagePresentation> presentation;
  std::unique_ptr<vintrel::app::ShowServer> show;
  std::unique_ptr<MemoryServer> server;
};

Fixture& Setup() {
  static Fixture* fixture = [] {
    auto made = new Fixture;
    made->presentation = vintrel::ooxml::PackagePresentation::Open(
        VINTREL_SOURCE_DIR "/tests/fixtures/pptx/poi-pie-chart.pptx");
    vintrel::app::ShowServerOptions options;
    options.control_token = "0123456789abcdef";
    options.keepalive_seconds = 0;
    made->show = std::make_unique<vintrel::app::ShowServer>(*made->presentation, options);
    made->show->SetNavigate([](vintrel::app::Navigation) {});
    made->show->ShowBegan(made->presentation->Slides().Count());
    made->show->SlideShown(1);
    made->show->ConnectionFailed("01", "Sales", "the database is locked");
    made->server = std::make_unique<MemoryServer>();
    made->show->Configure(*made->server);
    return made;
  }();
  return *fixture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fixture& fixture = Setup();
  MemoryStream stream(data, size);
  fixture.server->Serve(stream);
  return 0;
}
