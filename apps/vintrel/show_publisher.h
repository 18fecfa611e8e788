// A slide show published through an MQTT broker (libmosquitto), so any number of screens follow
// it from the broker and the show itself serves none of them. It follows the live view's own
// state (a ShowServer that is never started) and publishes, under TOPIC:
//   TOPIC/state        retained: what a browser of the live view gets first (slide on screen,
//                      every shape's drawing, hidden slides, data problems) and "sequence";
//   TOPIC/asset/NAME   retained: the pictures the drawings name "/asset/NAME" (content hash);
//   TOPIC/events       each change as `--json` prints it, with "sequence" and, for a shape
//                      redrawn on screen, its "id" and "svg".
// Sequence numbers rise by one per event; a screen that sees a gap takes TOPIC/state again.
//
// Threads: the display calls and all publishing come on the loop's thread; the library's own
// thread keeps the connection and reconnects with backoff, and hands what it notices to the loop.
#ifndef VINTREL_APPS_VINTREL_SHOW_PUBLISHER_H_
#define VINTREL_APPS_VINTREL_SHOW_PUBLISHER_H_

#include <atomic>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>

#include "broker_client.h"
#include "host/event_loop.h"
#include "host/presentation.h"
#include "host/show_display.h"
#include "live_show.h"
#include "show_events.h"
#include "show_server.h"

namespace vintrel::app {

class ShowPublisher : public host::ShowDisplay, public host::DataStatusDisplay {
 public:
  // `out` and `json`: where the show's own event lines go, for the broker's failures.
  ShowPublisher(host::Presentation& presentation, host::EventLoop& loop, BrokerAddress address,
                std::ostream& out, bool json);
  ~ShowPublisher() override;
  ShowPublisher(const ShowPublisher&) = delete;
  ShowPublisher& operator=(const ShowPublisher&) = delete;

  // Connects and waits for the broker's answer. Raises BadInput when the broker cannot be
  // reached or refuses the connection (wrong user or password).
  void Connect(const BrokerLogin& login);
  // Disconnects; safe to call twice.
  void Stop();

  void ShowBegan(int slide_count) override;
  void ShowEnded() override;
  void SlideShown(int slide) override;
  void SlideHiddenChanged(int slide, bool hidden) override;
  void TextChanged(const host::ShapeRef& shape, const std::string& old_text,
                   const std::string& new_text) override;
  void VisibilityChanged(const host::ShapeRef& shape, bool visible) override;
  void PictureChanged(const host::ShapeRef& shape, const std::string& file) override;
  void ChartChanged(const host::ShapeRef& shape) override;
  void ConnectionFailed(const std::string& connection, const std::string& description,
                        const std::string& message) override;
  void ConnectionRestored(const std::string& connection, const std::string& description) override;
  void ValuesStale(const std::string& connection, double age_seconds) override;

 private:
  // On the loop thread.
  void BrokerLost(const std::string& why);
  void BrokerBack();
  // Publishes the event line the writer just made, the state and any new picture.
  void Emit();
  void PublishState();
  void PublishAssets(const std::string& svg);
  void Send(const std::string& subtopic, const std::string& payload, bool retain);

  host::EventLoop& loop_;
  BrokerAddress address_;
  ShowServer model_;
  std::ostringstream lines_;
  ShowEventWriter writer_;   // the events on the broker, as --json prints them
  ShowEventWriter notices_;  // the show's own event lines
  // The shape the model redrew during the current display call, as JSON.
  std::string shape_json_;
  uint64_t sequence_ = 0;
  std::set<std::string> sent_assets_;
  bool lost_ = false;  // loop thread: told the user the broker went away

  // Posted work checks this, since it may outlive the publisher.
  std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
  BrokerClient broker_;
};

// With a --publish address: a connected publisher, added to `show`'s screens. Raises BadInput for
// an address that does not read or a broker that cannot be used.
std::unique_ptr<ShowPublisher> StartShowPublisher(const std::string& url, const Context& ctx,
                                                  host::Presentation& presentation,
                                                  host::EventLoop& loop, std::ostream& out,
                                                  LiveShowOptions& show);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_SHOW_PUBLISHER_H_
