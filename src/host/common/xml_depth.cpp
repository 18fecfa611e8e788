#include "host/common/xml_depth.h"

namespace vintrel {

bool NestedTooDeep(pugi::xml_document& doc) {
  struct DepthCheck : pugi::xml_tree_walker {
    bool too_deep = false;
    bool for_each(pugi::xml_node&) override {
      too_deep = depth() >= kMaxXmlDepth;
      return !too_deep;
    }
  } check;
  doc.traverse(check);
  return check.too_deep;
}

}  // namespace vintrel
