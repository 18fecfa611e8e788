// The show's event stream: one line for every change a running show makes, as it happens,
// either for people (text) or for programs (JSON lines, see docs/show-events.md). Several
// screens can follow one show: ShowFanout hands every event to each of them.
#ifndef VINTREL_APPS_VINTREL_SHOW_EVENTS_H_
#define VINTREL_APPS_VINTREL_SHOW_EVENTS_H_

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "host/clock.h"
#include "host/show_display.h"
#include "json_output.h"

namespace vintrel::app {

class ShowEventWriter : public host::ShowDisplay, public host::DataStatusDisplay {
 public:
  ShowEventWriter(std::ostream& out, const host::Clock& clock, bool json)
      : out_(out), clock_(clock), json_(json) {}

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

  // The player's lines: a presentation's show started ("player-start") or stopped
  // ("player-stop"), with the file and why.
  void PlayerChange(bool started, const std::string& file, const std::string& reason);

  // The broker a show publishes through went away ("broker-failed", with why) or answers again
  // ("broker-restored").
  void BrokerChange(bool restored, const std::string& broker, const std::string& message);

 private:
  // One line: `fields` are JSON members after "time" and "event"; `text` is the line for
  // people after the time.
  void Line(const std::string& event, const Json& fields, const std::string& text);
  static Json ShapeFields(const host::ShapeRef& shape);
  static std::string ShapeText(const host::ShapeRef& shape);

  std::ostream& out_;
  const host::Clock& clock_;
  bool json_;
};

// Hands every event to each display added, in the order they were added.
class ShowFanout : public host::ShowDisplay, public host::DataStatusDisplay {
 public:
  void Add(host::ShowDisplay* display) { displays_.push_back(display); }
  void Add(host::DataStatusDisplay* status) { statuses_.push_back(status); }

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
  std::vector<host::ShowDisplay*> displays_;
  std::vector<host::DataStatusDisplay*> statuses_;
};

// "2026-12-06T14:03:07.250Z": UTC with milliseconds.
std::string IsoTime(host::Clock::WallTime time);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_SHOW_EVENTS_H_
