#include "show_events.h"

#include <cstdio>
#include <ctime>

#include "json_writer.h"

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

void ShowEventWriter::Line(const std::string& event, const std::string& fields,
                           const std::string& text) {
  const host::Clock::WallTime now = clock_.Now();
  if (json_) {
    out_ << "{\"time\":" << JsonString(IsoTime(now)) << ",\"event\":" << JsonString(event)
         << (fields.empty() ? "" : ",") << fields << "}\n";
  } else {
    out_ << LocalClock(now) << " " << text << "\n";
  }
  // Whoever reads the stream follows the show as it runs.
  out_.flush();
}

std::string ShowEventWriter::ShapeFields(const host::ShapeRef& shape) {
  return "\"slide\":" + std::to_string(shape.slide) + ",\"shape\":" + std::to_string(shape.shape) +
         ",\"name\":" + JsonString(shape.name);
}

std::string ShowEventWriter::ShapeText(const host::ShapeRef& shape) {
  return "slide " + std::to_string(shape.slide) + " shape " + std::to_string(shape.shape) + " " +
         Quoted(shape.name);
}

void ShowEventWriter::ShowBegan(int slide_count) {
  Line("show-begin", "\"slides\":" + std::to_string(slide_count),
       "show begins (" + std::to_string(slide_count) + " slides)");
}

void ShowEventWriter::PlayerChange(bool started, const std::string& file,
                                   const std::string& reason) {
  Line(started ? "player-start" : "player-stop",
       "\"file\":" + JsonString(file) + ",\"reason\":" + JsonString(reason),
       std::string(started ? "start " : "stop ") + file + " (" + reason + ")");
}

void ShowEventWriter::BrokerChange(bool restored, const std::string& broker,
                                   const std::string& message) {
  if (restored) {
    Line("broker-restored", "\"broker\":" + JsonString(broker),
         "broker " + broker + " answers again; the whole show is published again");
  } else {
    Line("broker-failed",
         "\"broker\":" + JsonString(broker) + ",\"message\":" + JsonString(message),
         "broker " + broker + " failed: " + Quoted(message));
  }
}

void ShowEventWriter::ShowEnded() {
  Line("show-end", "", "show ends");
}

void ShowEventWriter::SlideShown(int slide) {
  Line("slide", "\"slide\":" + std::to_string(slide),
       slide == 0 ? std::string("end of the show reached")
                  : "slide " + std::to_string(slide) + " shown");
}

void ShowEventWriter::SlideHiddenChanged(int slide, bool hidden) {
  Line("hidden", "\"slide\":" + std::to_string(slide) + ",\"hidden\":" + JsonBool(hidden),
       "slide " + std::to_string(slide) + (hidden ? " hidden" : " shown again"));
}

void ShowEventWriter::TextChanged(const host::ShapeRef& shape, const std::string& old_text,
                                  const std::string& new_text) {
  Line("text",
       ShapeFields(shape) + ",\"old\":" + JsonString(old_text) + ",\"new\":" + JsonString(new_text),
       ShapeText(shape) + " text " + Quoted(old_text) + " -> " + Quoted(new_text));
}

void ShowEventWriter::VisibilityChanged(const host::ShapeRef& shape, bool visible) {
  Line("visible", ShapeFields(shape) + ",\"visible\":" + JsonBool(visible),
       ShapeText(shape) + (visible ? " shown" : " hidden"));
}

void ShowEventWriter::PictureChanged(const host::ShapeRef& shape, const std::string& file) {
  Line("picture", ShapeFields(shape) + ",\"file\":" + JsonString(file),
       ShapeText(shape) + " picture " + file);
}

void ShowEventWriter::ChartChanged(const host::ShapeRef& shape) {
  Line("chart", ShapeFields(shape), ShapeText(shape) + " chart refilled");
}

void ShowEventWriter::ConnectionFailed(const std::string& connection,
                                       const std::string& description, const std::string& message) {
  Line("connection-failed",
       "\"connection\":" + JsonString(connection) + ",\"description\":" + JsonString(description) +
           ",\"message\":" + JsonString(message),
       "connection " + connection + " " + Quoted(description) + " failed: " + Quoted(message));
}

void ShowEventWriter::ConnectionRestored(const std::string& connection,
                                         const std::string& description) {
  Line("connection-restored",
       "\"connection\":" + JsonString(connection) + ",\"description\":" + JsonString(description),
       "connection " + connection + " " + Quoted(description) + " answers again");
}

void ShowEventWriter::ValuesStale(const std::string& connection, double age_seconds) {
  Line("stale", "\"connection\":" + JsonString(connection) + ",\"age\":" + JsonNumber(age_seconds),
       "connection " + connection + " values kept from " + JsonNumber(age_seconds) + " s ago");
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
