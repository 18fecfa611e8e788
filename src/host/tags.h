#ifndef VINTREL_HOST_TAGS_H_
#define VINTREL_HOST_TAGS_H_

#include <string>
#include <string_view>

namespace vintrel::host {

// Named text values on a presentation, slide or shape: the only place the add-in stores what
// it knows. Indices run from 1. Names come back upper-case whatever case they were written in;
// Add replaces a tag of the same name (compared without case) in place; Delete of an absent
// name does nothing, and later tags move down one index.
class Tags {
 public:
  virtual ~Tags() = default;
  virtual int Count() const = 0;
  virtual std::string Name(int index) const = 0;   // fails outside 1..Count
  virtual std::string Value(int index) const = 0;  // fails outside 1..Count
  // The value of the named tag, or empty text when there is none.
  virtual std::string Item(std::string_view name) const = 0;
  virtual void Add(std::string_view name, std::string_view value) = 0;
  virtual void Delete(std::string_view name) = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_TAGS_H_
