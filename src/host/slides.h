#ifndef VINTREL_HOST_SLIDES_H_
#define VINTREL_HOST_SLIDES_H_

#include "host/shapes.h"
#include "host/tags.h"

namespace vintrel::host {

class SlideShowTransition {
 public:
  virtual ~SlideShowTransition() = default;
  virtual bool Hidden() const = 0;
  virtual void SetHidden(bool hidden) = 0;
  virtual bool AdvanceOnClick() const = 0;
  virtual void SetAdvanceOnClick(bool value) = 0;
  virtual bool AdvanceOnTime() const = 0;
  virtual void SetAdvanceOnTime(bool value) = 0;
  virtual double AdvanceTime() const = 0;  // seconds
  virtual void SetAdvanceTime(double seconds) = 0;
};

class Slide {
 public:
  virtual ~Slide() = default;
  virtual int SlideIndex() const = 0;  // from 1
  virtual host::Shapes& Shapes() = 0;
  virtual host::Tags& Tags() = 0;
  virtual host::SlideShowTransition& SlideShowTransition() = 0;
  // Copies the slide with its shapes and tags; the copy is inserted right after it.
  virtual Slide& Duplicate() = 0;
  // Removes the slide; the reference is invalid afterwards and later slides move up.
  virtual void Delete() = 0;
};

class Slides {
 public:
  virtual ~Slides() = default;
  virtual int Count() const = 0;
  virtual Slide& Item(int index) = 0;  // from 1; fails outside 1..Count
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_SLIDES_H_
