// The guard against XML nested absurdly deep. Parts written by office programs nest some 25
// levels at most; far deeper nesting only comes from a hostile file, and would make every walk
// over the part slow and recursive ones overflow the stack.
#ifndef VINTREL_HOST_COMMON_XML_DEPTH_H_
#define VINTREL_HOST_COMMON_XML_DEPTH_H_

#include <pugixml.hpp>

namespace vintrel {

inline constexpr int kMaxXmlDepth = 256;

// Whether some node of `doc` lies kMaxXmlDepth levels deep or deeper.
bool NestedTooDeep(pugi::xml_document& doc);

}  // namespace vintrel

#endif  // VINTREL_HOST_COMMON_XML_DEPTH_H_
