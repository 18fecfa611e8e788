// Windows metafiles (EMF and WMF) as SVG: no browser draws them, and decks keep icons, chart
// previews and clip art in them. Their words stay text in the SVG.
#ifndef VINTREL_HOST_OOXML_DRAWING_METAFILE_SVG_H_
#define VINTREL_HOST_OOXML_DRAWING_METAFILE_SVG_H_

#include <string>
#include <string_view>

namespace vintrel::ooxml::drawing {

// True for the names of metafiles ("x.emf", "x.WMF").
bool IsMetafileName(std::string_view name);
// The metafile `bytes` named `name` as a standalone SVG document that stretches to whatever box
// shows it; empty when it cannot be read. Conversions are kept, since a slide is drawn again
// whenever one of its values changes.
std::string MetafileToSvg(const std::string& bytes, std::string_view name);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_METAFILE_SVG_H_
