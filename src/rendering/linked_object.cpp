#include "rendering/linked_object.h"

#include <filesystem>

#include "connections/connection_paths.h"
#include "host/application.h"
#include "host/error.h"
#include "host/platform.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel::rendering {
namespace {

host::Shape* FindShape(const Context& ctx, const std::string& presentation_name, int slide_index,
                       int shape_index) {
  host::Application* app = ctx.module.host;
  if (app == nullptr) return nullptr;
  host::Presentations& presentations = app->Presentations();
  for (int i = 1; i <= presentations.Count(); ++i) {
    host::Presentation& presentation = presentations.Item(i);
    if (presentation.FullName() == presentation_name) {
      return &presentation.Slides().Item(slide_index).Shapes().Item(shape_index);
    }
  }
  return nullptr;
}

bool IsLinkable(int type) {
  return type == host::shape_type::kLinkedPicture || type == host::shape_type::kLinkedOleObject ||
         type == host::shape_type::kMedia;
}

bool FileReadable(const Context& ctx, const std::string& native_path) {
  try {
    ctx.services.files->FileLength(native_path);
    return true;
  } catch (...) {
    return false;
  }
}

void Hide(host::Shape& shape) {
  SkipFailure([&] {
    if (shape.Visible()) shape.SetVisible(false);
  });
}

}  // namespace

bool SetLinkedObjectSource(const Context& ctx, const std::string& presentation_name,
                           int slide_index, int shape_index, const std::string& file_reference,
                           bool hide_on_error, bool& defer_update) {
  host::Shape* shape = nullptr;
  try {
    shape = FindShape(ctx, presentation_name, slide_index, shape_index);
    if (shape == nullptr || !IsLinkable(shape->Type())) return false;

    const std::string resolved = ResolveConnectionPath(ctx, file_reference, presentation_name);
    if (resolved.empty()) {
      Hide(*shape);
      return false;
    }
    const std::string native = NativePath(ctx, resolved);
    // A file we can be sure about is checked first, so a missing picture never replaces a
    // working one.
    if (resolved.size() > 2 && IsAbsolutePath(resolved) && !FileReadable(ctx, native)) {
      Hide(*shape);
      return false;
    }
    shape->LinkFormat().SetSourceFullName(native);
    if (defer_update) return true;
    if (shape->Type() != host::shape_type::kMedia) shape->LinkFormat().Update();
    return true;
  } catch (...) {
    if (shape != nullptr && hide_on_error) {
      if (defer_update) return false;
      Hide(*shape);
    }
    return false;
  }
}

}  // namespace vintrel::rendering
