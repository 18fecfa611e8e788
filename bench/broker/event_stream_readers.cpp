#include "event_stream_readers.h"

#include <httplib.h>

#include <cctype>
#include <cstdlib>

namespace vintrel::bench {

struct Reader {
  Reader(int index, int port) : index(index), client("127.0.0.1", port) {}
  int index;
  httplib::Client client;
  std::atomic<bool> has_state{false};
  std::thread thread;
};

std::optional<int> ChangeInDrawing(const std::string& data, const std::string& shape, long base) {
  // In the event's JSON the drawing's quotes are escaped.
  const size_t begin = data.find("data-name=\\\"" + shape + "\\\"");
  if (begin == std::string::npos) return std::nullopt;
  const size_t end = data.find("</g>", begin);
  for (size_t at = data.find('>', begin); at < end; at = data.find('>', at + 1)) {
    if (at + 1 < data.size() && std::isdigit(static_cast<unsigned char>(data[at + 1]))) {
      return static_cast<int>(std::strtol(data.c_str() + at + 1, nullptr, 10) - base);
    }
  }
  return std::nullopt;
}

EventStreamReaders::EventStreamReaders(int port, int count, std::string shape, long base,
                                       int changes)
    : Receivers(count, changes), shape_(std::move(shape)), base_(base) {
  for (int i = 0; i < count; ++i) {
    auto reader = std::make_unique<Reader>(i, port);
    reader->client.set_connection_timeout(5, 0);
    // Longer than the server's keep-alive comments, which come every 15 s on an idle stream.
    reader->client.set_read_timeout(60, 0);
    readers_.push_back(std::move(reader));
  }
  for (auto& reader : readers_) {
    reader->thread = std::thread([this, r = reader.get()] { Read(*r); });
  }
}

EventStreamReaders::~EventStreamReaders() {
  Stop();
}

void EventStreamReaders::Read(Reader& reader) {
  std::string pending;
  while (!stop_) {
    pending.clear();
    reader.client.Get("/events", [&](const char* data, size_t size) {
      const Clock::time_point now = Clock::now();
      pending.append(data, size);
      for (size_t end; (end = pending.find("\n\n")) != std::string::npos;) {
        Take(reader, pending.substr(0, end), now);
        pending.erase(0, end + 2);
      }
      return !stop_;
    });
    if (stop_) break;
    ++reconnects_;
    std::this_thread::sleep_for(std::chrono::seconds(1));  // as the stream's "retry: 1000" asks
  }
}

void EventStreamReaders::Take(Reader& reader, const std::string& event, Clock::time_point at) {
  const bool state = event.find("event: state\n") != std::string::npos;
  if (state) reader.has_state = true;
  if (!state && event.find("event: shape\n") == std::string::npos) return;
  if (const std::optional<int> change = ChangeInDrawing(event, shape_, base_)) {
    arrivals_.Record(reader.index, *change, at);
  }
}

int EventStreamReaders::WaitReady(double seconds) const {
  return WaitForAll(seconds, [this](int r) { return readers_[r]->has_state.load(); });
}

void EventStreamReaders::Stop() {
  stop_ = true;
  for (auto& reader : readers_) reader->client.stop();
  for (auto& reader : readers_) {
    if (reader->thread.joinable()) reader->thread.join();
  }
}

}  // namespace vintrel::bench
