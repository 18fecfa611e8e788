// Slides of a package presentation: the list follows p:sldIdLst; a slide's part is parsed the
// first time something asks about it.
#ifndef VINTREL_HOST_OOXML_PACKAGE_SLIDE_H_
#define VINTREL_HOST_OOXML_PACKAGE_SLIDE_H_

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "host/ooxml/package.h"
#include "host/ooxml/part_tags.h"
#include "host/slides.h"

namespace vintrel::ooxml {

class PackagePresentation;
class PackageShapes;
class PackageSlides;
class PackageSlide;

// p:transition timing and the slide's show="0". PowerPoint may keep a transition twice, in
// both branches of an mc:AlternateContent; every copy is read the same and changed together.
class SlideTransition : public host::SlideShowTransition {
 public:
  explicit SlideTransition(PackageSlide& slide) : slide_(slide) {}
  bool Hidden() const override;
  void SetHidden(bool hidden) override;
  bool AdvanceOnClick() const override;
  void SetAdvanceOnClick(bool value) override;
  bool AdvanceOnTime() const override;
  void SetAdvanceOnTime(bool value) override;
  double AdvanceTime() const override;
  void SetAdvanceTime(double seconds) override;

 private:
  std::vector<pugi::xml_node> Copies() const;
  std::vector<pugi::xml_node> CopiesOrNew();

  PackageSlide& slide_;
  // The advance time while automatic advance is off (the file keeps a time only while it is on).
  double remembered_seconds_ = 0;
};

class PackageSlide : public host::Slide {
 public:
  PackageSlide(PackageSlides& slides, std::string part);
  ~PackageSlide() override;

  int SlideIndex() const override;
  host::Shapes& Shapes() override;
  host::Tags& Tags() override { return tags_; }
  host::SlideShowTransition& SlideShowTransition() override { return transition_; }
  host::Slide& Duplicate() override;
  void Delete() override;

  // For the shapes and the slide list.
  Package& package() const;
  PackagePresentation& presentation() const;
  const std::string& part() const { return part_; }
  pugi::xml_document& xml() const;
  void Touch() const;
  // Called when the slide is deleted.
  void MarkDeleted();
  // The position (a:off/a:ext holder) a placeholder inherits from the layout or master.
  pugi::xml_node InheritedTransform(pugi::xml_node placeholder) const;

 private:
  PackageSlides& slides_;
  std::string part_;
  PartTags tags_;
  ooxml::SlideTransition transition_;
  std::unique_ptr<PackageShapes> shapes_;
};

class PackageSlides : public host::Slides {
 public:
  explicit PackageSlides(PackagePresentation& presentation);
  ~PackageSlides() override;

  int Count() const override { return static_cast<int>(slides_.size()); }
  host::Slide& Item(int index) override;

  PackagePresentation& presentation() const { return presentation_; }
  int IndexOf(const PackageSlide& slide) const;
  PackageSlide& Duplicate(PackageSlide& slide);
  void Delete(PackageSlide& slide);

 private:
  PackagePresentation& presentation_;
  std::vector<std::unique_ptr<PackageSlide>> slides_;
  // Deleted slides live on until the presentation closes, so a stale reference held by a
  // caller fails with an error instead of touching freed memory.
  std::vector<std::unique_ptr<PackageSlide>> deleted_;
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_SLIDE_H_
