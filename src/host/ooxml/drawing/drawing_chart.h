// Charts drawn from the caches of their chart part, as PowerPoint draws them: bar and column
// (clustered or stacked), line, area, scatter, pie and doughnut, with axes, markers, labels,
// title and legend as text. The axes and what stands on them are in drawing_chart_axes.cpp.
#ifndef VINTREL_HOST_OOXML_DRAWING_CHART_H_
#define VINTREL_HOST_OOXML_DRAWING_CHART_H_

#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

std::string DrawChart(const std::string& chart_part, const Box& box, DrawingContext& context);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_CHART_H_
