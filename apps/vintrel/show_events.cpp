#include "show_events.h"

#include <cstdio>
#include <ctime>

namespace vintrel::app {
namespace {

// Texts for people: line breaks inside a shape's text shown as "\n".
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\r' || c == '\n' || c == '\v') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string LocalClock(host::Clock::WallTime time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()) % 1000;
  char text[64];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis.count()));
  return text;
}

}  // namespace

std::string IsoTime(host::Clock::WallTime time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() % 1000;
  if (millis < 0) millis += 1000;
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                static_cast<int>(millis));
  return text;
}

void ShowEventWriter::Line(const std::string& event, const Json& fields, const std::string& text) {
  const host::Clock::WallTime now = clock_.Now();
  if (json_) {
    Json line = {{"time", IsoTime(now)}, {"event", event}};
    for (const auto& [key, value] : fields.items()) line[key] = value;
    out_ << JsonText(line) << "\n";
  } else {
    out_ << LocalClock(now) << " " << text << "\n";
  }
  // Whoever reads the stream follows the show as it runs.
  out_.flush();
}

Json ShowEventWriter::ShapeFields(const host::ShapeRef& shape) {
  return {{"slide", shape.slide}, {"shape", shape.shape}, {"name", shape.name}};
}

std::string ShowEventWriter::ShapeText(const host::ShapeRef& shape) {
  return "slide " + std::to_string(shape.slide) + " shape " + std::to_string(shape.shape) + " " +
         Quoted(shape.name);
}

void ShowEventWriter::ShowBegan(int slide_count) {
  Line("show-begin", Json{{"slides", slide_count}},
       "show begins (" + std::to_string(slide_count) + " slides)");
}

void ShowEventWriter::PlayerChange(bool started, const std::string& file,
                                   const std::string& reason) {
  Line(started ? "player-start" : "player-stop", Json{{"file", file}, {"reason", reason}},
       std::string(started ? "start " : "stop ") + file + " (" + reason + ")");
}

void ShowEventWriter::BrokerChange(bool restored, const std::string& broker,
                                   const std::string& message) {
  if (restored) {
    Line("broker-restored", Json{{"broker", broker}},
         "broker " + broker + " answers again; the whole show is published again");
  } else {
    Line("broker-failed", Json{{"broker", broker}, {"message", message}},
         "broker " + broker + " failed: " + Quoted(message));
  }
}

void ShowEventWriter::ShowEnded() {
  Line("show-end", Json::object(), "show ends");
}

void ShowEventWriter::SlideShown(int slide) {
  Line("slide", Json{{"slide", slide}},
       slide == 0 ? std::string("end of the show reached")
                  : "slide " + std::to_string(slide) + " shown");
}

void ShowEventWriter::SlideHiddenChanged(int slide, bool hidden) {
  Line("hidden", Json{{"slide", slide}, {"hidden", hidden}},
       "slide " + std::to_string(slide) + (hidden ? " hidden" : " shown again"));
}

void ShowEventWriter::TextChanged(const host::ShapeRef& shape, const std::string& old_text,
                                  const std::string& new_text) {
  Json fields = ShapeFields(shape);
  fields["old"] = old_text;
  fields["new"] = new_text;
  Line("text", fields, ShapeText(shape) + " text " + Quoted(old_text) + " -> " + Quoted(new_text));
}

void ShowEventWriter::VisibilityChanged(const host::ShapeRef& shape, bool visible) {
  Json fields = ShapeFields(shape);
  fields["visible"] = visible;
  Line("visible", fields, ShapeText(shape) + (visible ? " shown" : " hidden"));
}

void ShowEventWriter::PictureChanged(const host::ShapeRef& shape, const std::string& file) {
  Json fields = ShapeFields(shape);
  fields["file"] = file;
  Line("picture", fields, ShapeText(shape) + " picture " + file);
}

void ShowEventWriter::ChartChanged(const host::ShapeRef& shape) {
  Line("chart", ShapeFields(shape), ShapeText(shape) + " chart refilled");
}

void ShowEventWriter::ConnectionFailed(const std::string& connection,
                                       const std::string& description, const std::string& message) {
  Line("connection-failed",
       Json{{"connection", connection}, {"description", description}, {"message", message}},
       "connection " + connection + " " + Quoted(description) + " failed: " + Quoted(message));
}

void ShowEventWriter::ConnectionRestored(const std::string& connection,
                                         const std::string& description) {
  Line("connection-restored", Json{{"connection", connection}, {"description", description}},
       "connection " + connection + " " + Quoted(description) + " answers again");
}

void ShowEventWriter::ValuesStale(const std::string& connection, double age_seconds) {
  const Json age = JsonNumber(age_seconds);
  Line("stale", Json{{"connection", connection}, {"age", age}},
       "connection " + connection + " values kept from " + age.dump() + " s ago");
}

void ShowFanout::ShowBegan(int slide_count) {
  for (auto* display : displays_) display->ShowBegan(slide_count);
}
void ShowFanout::ShowEnded() {
  for (auto* display : displays_) display->ShowEnded();
}
void ShowFanout::SlideShown(int slide) {
  for (auto* display : displays_) display->SlideShown(slide);
}
void ShowFanout::SlideHiddenChanged(int slide, bool hidden) {
  for (auto* display : displays_) display->SlideHiddenChanged(slide, hidden);
}
void ShowFanout::TextChanged(const host::ShapeRef& shape, const std::string& old_text,
                             const std::string& new_text) {
  for (auto* display : displays_) display->TextChanged(shape, old_text, new_text);
}
void ShowFanout::VisibilityChanged(const host::ShapeRef& shape, bool visible) {
  for (auto* display : displays_) display->VisibilityChanged(shape, visible);
}
void ShowFanout::PictureChanged(const host::ShapeRef& shape, const std::string& file) {
  for (auto* display : displays_) display->PictureChanged(shape, file);
}
void ShowFanout::ChartChanged(const host::ShapeRef& shape) {
  for (auto* display : displays_) display->ChartChanged(shape);
}
void ShowFanout::ConnectionFailed(const std::string& connection, const std::string& description,
                                  const std::string& message) {
  for (auto* status : statuses_) status->ConnectionFailed(connection, description, message);
}
void ShowFanout::ConnectionRestored(const std::string& connection, const std::string& description) {
  for (auto* status : statuses_) status->ConnectionRestored(connection, description);
}
void ShowFanout::ValuesStale(const std::string& connection, double age_seconds) {
  for (auto* status : statuses_) status->ValuesStale(connection, age_seconds);
}

}  // namespace vintrel::app
