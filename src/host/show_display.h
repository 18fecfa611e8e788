// What a screen needs to know while a slide show runs. The host has no screen of its own: the
// program hangs a listener on it (a printer of the event stream, a browser view) and the host
// tells it every change that shows, as it happens, on the loop's thread.
#ifndef VINTREL_HOST_SHOW_DISPLAY_H_
#define VINTREL_HOST_SHOW_DISPLAY_H_

#include <string>

namespace vintrel::host {

// A shape is named by its slide's index and its position on the slide (from 1, back to front):
// what the add-in addresses during a show. `name` is the shape's name, for people.
struct ShapeRef {
  int slide = 0;
  int shape = 0;
  std::string name;
};

class ShowDisplay {
 public:
  virtual ~ShowDisplay() = default;
  // The show began (before its first slide is shown) and ended.
  virtual void ShowBegan(int slide_count) { (void)slide_count; }
  virtual void ShowEnded() {}
  // The slide now on screen.
  virtual void SlideShown(int slide) { (void)slide; }
  // A slide was hidden or shown again (the show skips hidden slides).
  virtual void SlideHiddenChanged(int slide, bool hidden) {
    (void)slide;
    (void)hidden;
  }
  // A shape's text changed; texts as the host returns them (paragraphs joined by CR).
  virtual void TextChanged(const ShapeRef& shape, const std::string& old_text,
                           const std::string& new_text) {
    (void)shape;
    (void)old_text;
    (void)new_text;
  }
  virtual void VisibilityChanged(const ShapeRef& shape, bool visible) {
    (void)shape;
    (void)visible;
  }
  // A linked picture or object now shows `file` (relinked, or its file reloaded).
  virtual void PictureChanged(const ShapeRef& shape, const std::string& file) {
    (void)shape;
    (void)file;
  }
  // A chart received new data.
  virtual void ChartChanged(const ShapeRef& shape) { (void)shape; }
};

// What the add-in tells the screen about its data sources during a show: a connection that
// failed to requery, and one that answers again. `connection` is the tag number ("01").
class DataStatusDisplay {
 public:
  virtual ~DataStatusDisplay() = default;
  virtual void ConnectionFailed(const std::string& connection, const std::string& description,
                                const std::string& message) = 0;
  virtual void ConnectionRestored(const std::string& connection,
                                  const std::string& description) = 0;
  // KeepLastGoodValues: the shapes of `connection` keep values read `age_seconds` ago.
  virtual void ValuesStale(const std::string& connection, double age_seconds) = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_SHOW_DISPLAY_H_
