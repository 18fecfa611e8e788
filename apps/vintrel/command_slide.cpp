// vintrel slide: a slide's settings as the slide property page writes them when closed with OK:
// hide the slide when its connections deliver no data, reload its linked objects when their
// files change, and scroll through a connection's rows step by step.
#include <algorithm>
#include <iostream>
#include <optional>

#include "command.h"
#include "document/connection_tags.h"
#include "document/presentation.h"
#include "document/shape.h"
#include "document/slide.h"
#include "document/tag_schema.h"
#include "host/error.h"
#include "host_session.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

bool ParseOnOff(const std::string& option, const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw BadInput(option + " takes on or off, not \"" + text + "\"");
}

struct Options {
  std::string file;
  int slide = 0;
  std::optional<std::string> hide_when_no_data;
  std::optional<std::string> refresh_linked_objects;
  std::optional<std::string> scroll;
  std::optional<long> step;
  std::optional<long> time;
  std::optional<std::string> enabled;
};

// The slide's settings as stored: the properties tag, then every scroll tag in tag order.
clsSlide ReadSlide(host::Slide& slide) {
  clsSlide settings;
  host::Tags& tags = slide.Tags();
  for (int index = 1; index <= tags.Count(); ++index) {
    const std::string name = tags.Name(index);
    try {
      if (HasTagPrefix(name, tag::kSlideProperties)) {
        settings.SetTagString(tags.Value(index));
      } else if (HasTagPrefix(name, tag::kScrollStep)) {
        settings.AddScrollInfo(TagNumber(name, tag::kScrollStep), tags.Value(index));
      }
    } catch (const Error& failure) {
      // A damaged tag reads as nothing; writing the slide replaces it.
      std::cerr << "vintrel: warning: tag " << name << " ignored: " << failure.description()
                << "\n";
    }
  }
  return settings;
}

// The step time the page offers for a connection that never scrolled.
constexpr long kDefaultStepTime = 3000;

// The step the page offers: the largest row of the slide's text fields, at least 1.
long DefaultStep(host::Slide& slide) {
  double largest = 1;
  host::Shapes& shapes = slide.Shapes();
  for (int index = 1; index <= shapes.Count(); ++index) {
    clsshape shape;
    shape.SetShapeItem(shapes.Item(index));
    if (shape.SourceType() == source_type::kTextField) largest = std::max(largest, shape.Row());
  }
  return static_cast<long>(largest);
}

// The tag number of the connection `requested` names (as a whole number, so "3" finds "03"),
// when a shape of the slide shows its data; the page lists no other connection.
std::string UsedConnection(host::Presentation& presentation, host::Slide& slide,
                           const std::string& requested) {
  const std::optional<long> wanted = ScrollNumber(requested);
  if (!wanted || *wanted < 1 || *wanted > kHighestScrollTagNumber) {
    throw BadInput("connection " + requested + " is outside the scroll settings (1 to 99)");
  }
  std::string number;
  for (const auto& connection : ReadConnectionTags(presentation)) {
    if (ScrollNumber(connection->ConnectionTagNumber()) == wanted) {
      number = connection->ConnectionTagNumber();
    }
  }
  if (number.empty()) throw BadInput("no connection " + requested);
  host::Shapes& shapes = slide.Shapes();
  for (int index = 1; index <= shapes.Count(); ++index) {
    clsshape shape;
    shape.SetShapeItem(shapes.Item(index));
    const int type = shape.SourceType();
    const bool data = (type == source_type::kTextField || type == source_type::kLinkedObject) &&
                      shape.Row() > 0 && !shape.ColumnName().empty();
    if (shape.VintrelEnabled() && (data || type == source_type::kGraph) &&
        ScrollNumber(shape.ConnectionTagNumber()) == wanted) {
      return number;
    }
  }
  throw BadInput("no shape of slide " + std::to_string(slide.SlideIndex()) +
                 " shows data of connection " + number);
}

void Print(const clsSlide& settings) {
  std::cout << "hide-when-no-data\t" << (settings.HideWhenNoData() ? "on" : "off") << "\n"
            << "refresh-linked-objects\t" << (settings.RefreshLinkedObjects() ? "on" : "off")
            << "\n";
  for (int number = 1; number <= kHighestScrollTagNumber; ++number) {
    const std::string text = std::to_string(number);
    if (settings.ScrollTime(text) < 1) continue;
    std::cout << "scroll " << text << "\t" << (settings.ScrollEnabled(text) ? "on" : "off")
              << "\tstep " << settings.ScrollStep(text) << "\ttime " << settings.ScrollTime(text)
              << " ms\n";
  }
}

int Run(const Options& options) {
  const bool scrolling = options.step || options.time || options.enabled;
  if (scrolling && !options.scroll) throw BadInput("--step, --time and --enabled go with --scroll");
  std::optional<bool> hide;
  std::optional<bool> refresh;
  std::optional<bool> enabled;
  if (options.hide_when_no_data) {
    hide = ParseOnOff("--hide-when-no-data", *options.hide_when_no_data);
  }
  if (options.refresh_linked_objects) {
    refresh = ParseOnOff("--refresh-linked-objects", *options.refresh_linked_objects);
  }
  if (options.enabled) enabled = ParseOnOff("--enabled", *options.enabled);
  if (options.step && *options.step < 0) throw BadInput("--step must not be negative");
  if (options.time && *options.time < 0) throw BadInput("--time must not be negative");

  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, options.file);
  host::Slide& slide = FindSlide(presentation, options.slide);
  clsSlide settings = ReadSlide(slide);
  if (!hide && !refresh && !options.scroll) {
    Print(settings);
    return kExitOk;
  }

  if (hide) settings.SetHideWhenNoData(*hide ? 1 : 0);
  if (refresh) settings.SetRefreshLinkedObjects(*refresh ? 1 : 0);
  if (options.scroll) {
    const std::string number = UsedConnection(presentation, slide, *options.scroll);
    // What the page shows for the connection, and stores with the changes made to it.
    const bool stored = settings.ScrollEnabled(number);
    settings.SetScrollEnabled(number, enabled.value_or(stored));
    settings.SetScrollStep(
        number, options.step.value_or(stored ? settings.ScrollStep(number) : DefaultStep(slide)));
    settings.SetScrollTime(
        number, options.time.value_or(stored ? settings.ScrollTime(number) : kDefaultStepTime));
  }
  // Through the add-in's presentation object, as the slide page writes; it is missing only when
  // the add-in could not start.
  if (clsPresentation* entry =
          (session.addin() != nullptr ? session.addin()->FindEntry(presentation) : nullptr)) {
    entry->SetSlideTags(settings, options.slide);
  } else {
    EnsureVersionTag(presentation.Tags());
    WriteSlideTags(slide.Tags(), settings);
  }
  presentation.Save();
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command = root.add_subcommand(
      "slide", "Show or change a slide's data settings: hiding, linked objects, scrolling");
  command->add_option("file", options->file, "Presentation (.pptx)")->required();
  command->add_option("--slide", options->slide, "Slide number, from 1")->required();
  command->add_option("--hide-when-no-data", options->hide_when_no_data,
                      "on or off: hide the slide in the show when its data is empty");
  command->add_option("--refresh-linked-objects", options->refresh_linked_objects,
                      "on or off: reload linked pictures and objects when their files change");
  command->add_option("--scroll", options->scroll, "Connection number whose rows scroll");
  command->add_option("--step", options->step, "Rows per scroll step (--scroll)");
  command->add_option("--time", options->time,
                      "Milliseconds between scroll steps; 0 removes the setting (--scroll)");
  command->add_option("--enabled", options->enabled, "on or off (--scroll)");
  return [options]() { return Run(*options); };
}

CommandRegistration registration(50, Setup);

}  // namespace
}  // namespace vintrel::app
