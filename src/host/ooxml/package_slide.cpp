#include "host/ooxml/package_slide.h"

#include <cmath>
#include <map>
#include <random>
#include <set>

#include "host/common/ascii.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_shape.h"
#include "host/ooxml/slide_parts.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr char kSource[] = "vintrel.ooxml";

const std::initializer_list<std::string_view> kSlideOrder = {
    "p:cSld", "p:clrMapOvr", "p:transition", "p:timing", "p:extLst"};
const std::initializer_list<std::string_view> kCommonSlideDataOrder = {
    "p:bg", "p:spTree", "p:custDataLst", "p:controls", "p:extLst"};

bool SamePlaceholder(pugi::xml_node a, pugi::xml_node b) {
  std::string idx_a = a.attribute("idx").value(), idx_b = b.attribute("idx").value();
  if (!idx_a.empty() && idx_a != "0" && idx_a == idx_b) return true;
  auto normal = [](std::string type) {
    if (type.empty()) type = "obj";
    if (type == "ctrTitle") type = "title";
    if (type == "subTitle") type = "body";
    return type;
  };
  std::string type_a = normal(a.attribute("type").value());
  std::string type_b = normal(b.attribute("type").value());
  if (type_a == "obj" || type_b == "obj") return false;
  return type_a == type_b;
}

// The xfrm of the shape in `part` whose placeholder matches, if any.
pugi::xml_node FindPlaceholderTransform(Package& package, const std::string& part,
                                        pugi::xml_node placeholder) {
  pugi::xml_node tree = package.Xml(part).document_element().child("p:cSld").child("p:spTree");
  for (pugi::xml_node shape : tree.children()) {
    pugi::xml_node non_visual =
        shape.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
    pugi::xml_node ph = non_visual.child("p:nvPr").child("p:ph");
    if (!ph || !SamePlaceholder(ph, placeholder)) continue;
    pugi::xml_node xfrm = shape.child("p:spPr").child("a:xfrm");
    if (!xfrm) xfrm = shape.child("p:xfrm");
    if (xfrm) return xfrm;
  }
  return {};
}

std::string RelatedPart(Package& package, const std::string& part, const char* kind) {
  for (const Relationship& rel : package.Rels(part)) {
    if (rel.Kind() == kind && !rel.external) return Package::ResolveTarget(part, rel.target);
  }
  return {};
}

}  // namespace

// ---- SlideTransition

std::vector<pugi::xml_node> SlideTransition::Copies() const {
  std::vector<pugi::xml_node> out;
  pugi::xml_node root = slide_.xml().document_element();
  if (pugi::xml_node direct = root.child("p:transition")) out.push_back(direct);
  for (pugi::xml_node wrapper : root.children("mc:AlternateContent")) {
    for (pugi::xml_node branch : wrapper.children()) {
      if (pugi::xml_node t = branch.child("p:transition")) out.push_back(t);
    }
  }
  return out;
}

std::vector<pugi::xml_node> SlideTransition::CopiesOrNew() {
  std::vector<pugi::xml_node> copies = Copies();
  if (copies.empty()) {
    copies.push_back(InsertInOrder(slide_.xml().document_element(), "p:transition", kSlideOrder));
  }
  slide_.Touch();
  return copies;
}

bool SlideTransition::Hidden() const {
  return !slide_.xml().document_element().attribute("show").as_bool(true);
}

void SlideTransition::SetHidden(bool hidden) {
  pugi::xml_node root = slide_.xml().document_element();
  const bool was_hidden = Hidden();
  if (hidden) {
    pugi::xml_attribute show = root.attribute("show");
    if (!show) show = root.append_attribute("show");
    show.set_value("0");
  } else {
    root.remove_attribute("show");
  }
  slide_.Touch();
  if (host::ShowDisplay* display = slide_.presentation().show_display();
      display != nullptr && was_hidden != hidden) {
    display->SlideHiddenChanged(slide_.SlideIndex(), hidden);
  }
}

bool SlideTransition::AdvanceOnClick() const {
  std::vector<pugi::xml_node> copies = Copies();
  return copies.empty() || copies.front().attribute("advClick").as_bool(true);
}

void SlideTransition::SetAdvanceOnClick(bool value) {
  for (pugi::xml_node t : CopiesOrNew()) {
    if (value) {
      t.remove_attribute("advClick");
    } else {
      pugi::xml_attribute a = t.attribute("advClick");
      (a ? a : t.append_attribute("advClick")).set_value("0");
    }
  }
}

bool SlideTransition::AdvanceOnTime() const {
  std::vector<pugi::xml_node> copies = Copies();
  return !copies.empty() && copies.front().attribute("advTm");
}

void SlideTransition::SetAdvanceOnTime(bool value) {
  if (!value) remembered_seconds_ = AdvanceTime();
  double seconds = value ? AdvanceTime() : 0;
  for (pugi::xml_node t : CopiesOrNew()) {
    if (!value) {
      t.remove_attribute("advTm");
      continue;
    }
    pugi::xml_attribute a = t.attribute("advTm");
    (a ? a : t.append_attribute("advTm"))
        .set_value(static_cast<unsigned long long>(std::llround(seconds * 1000)));
  }
}

double SlideTransition::AdvanceTime() const {
  std::vector<pugi::xml_node> copies = Copies();
  if (copies.empty() || !copies.front().attribute("advTm")) return remembered_seconds_;
  return copies.front().attribute("advTm").as_ullong() / 1000.0;
}

void SlideTransition::SetAdvanceTime(double seconds) {
  if (seconds < 0 || !std::isfinite(seconds)) {
    throw Error(kErrInvalidArgument, kSource, "AdvanceTime must be zero or more seconds");
  }
  remembered_seconds_ = seconds;
  if (!AdvanceOnTime()) return;
  for (pugi::xml_node t : CopiesOrNew()) {
    t.attribute("advTm").set_value(static_cast<unsigned long long>(std::llround(seconds * 1000)));
  }
}

// ---- PackageSlide

PackageSlide::PackageSlide(PackageSlides& slides, std::string part)
    : slides_(slides),
      part_(std::move(part)),
      tags_(slides.presentation().package(), part_,
            [this](bool create) -> pugi::xml_node {
              pugi::xml_node data = xml().document_element().child("p:cSld");
              if (!create) return data.child("p:custDataLst");
              return GetOrInsert(data, "p:custDataLst", kCommonSlideDataOrder);
            }),
      transition_(*this) {}

PackageSlide::~PackageSlide() = default;

Package& PackageSlide::package() const {
  return slides_.presentation().package();
}
PackagePresentation& PackageSlide::presentation() const {
  return slides_.presentation();
}
pugi::xml_document& PackageSlide::xml() const {
  return package().Xml(part_);
}
void PackageSlide::Touch() const {
  package().Touch(part_);
}

int PackageSlide::SlideIndex() const {
  int index = slides_.IndexOf(*this);
  if (index == 0) throw Error(kErrInvalidArgument, kSource, "the slide was deleted");
  return index;
}

host::Shapes& PackageSlide::Shapes() {
  if (!shapes_) shapes_ = std::make_unique<PackageShapes>(*this);
  return *shapes_;
}

host::Slide& PackageSlide::Duplicate() {
  return slides_.Duplicate(*this);
}
void PackageSlide::Delete() {
  slides_.Delete(*this);
}

void PackageSlide::MarkDeleted() {
  if (shapes_) shapes_->MarkAllDeleted();
}

pugi::xml_node PackageSlide::InheritedTransform(pugi::xml_node placeholder) const {
  std::string layout = RelatedPart(package(), part_, "slideLayout");
  if (layout.empty() || !package().Has(layout)) return {};
  if (pugi::xml_node xfrm = FindPlaceholderTransform(package(), layout, placeholder)) return xfrm;
  std::string master = RelatedPart(package(), layout, "slideMaster");
  if (master.empty() || !package().Has(master)) return {};
  return FindPlaceholderTransform(package(), master, placeholder);
}

// ---- PackageSlides

PackageSlides::PackageSlides(PackagePresentation& presentation) : presentation_(presentation) {
  Package& package = presentation.package();
  const std::string& main = package.main_part();
  pugi::xml_node list = package.Xml(main).document_element().child("p:sldIdLst");
  std::map<std::string, Relationship> rels;
  for (Relationship& rel : package.Rels(main)) rels.emplace(rel.id, std::move(rel));
  std::set<std::string> seen;
  for (pugi::xml_node id : list.children("p:sldId")) {
    std::string rel_id = id.attribute("r:id").value();
    auto rel = rels.find(rel_id);
    if (rel == rels.end() || rel->second.external) {
      package.Fail("slide list names relationship \"" + rel_id + "\", which does not exist");
    }
    std::string part = Package::ResolveTarget(main, rel->second.target);
    if (!package.Has(part)) package.Fail("slide part \"" + part + "\" is missing");
    // Two entries for one part would give two models of the same XML.
    if (!seen.insert(LowerAscii(part)).second) {
      package.Fail("the slide list names \"" + part + "\" twice");
    }
    slides_.push_back(std::make_unique<PackageSlide>(*this, part));
  }
}

PackageSlides::~PackageSlides() = default;

host::Slide& PackageSlides::Item(int index) {
  if (index < 1 || index > Count()) {
    throw Error(kErrInvalidArgument, kSource,
                "Slides: index " + std::to_string(index) + " is out of range (1 to " +
                    std::to_string(Count()) + ")");
  }
  return *slides_[index - 1];
}

int PackageSlides::IndexOf(const PackageSlide& slide) const {
  for (size_t i = 0; i < slides_.size(); ++i) {
    if (slides_[i].get() == &slide) return static_cast<int>(i) + 1;
  }
  return 0;
}

PackageSlide& PackageSlides::Duplicate(PackageSlide& slide) {
  int index = slide.SlideIndex();
  Package& package = presentation_.package();
  std::string copy = DuplicateSlidePart(package, slide.part());
  slides_.insert(slides_.begin() + index, std::make_unique<PackageSlide>(*this, copy));
  return *slides_[index];
}

void PackageSlides::Delete(PackageSlide& slide) {
  int index = slide.SlideIndex();
  DeleteSlidePart(presentation_.package(), slide.part());
  slide.MarkDeleted();
  deleted_.push_back(std::move(slides_[index - 1]));
  slides_.erase(slides_.begin() + index - 1);
}

}  // namespace vintrel::ooxml
