// Charts drawn from the caches of their chart part, as PowerPoint draws them: bar and column
// (clustered or stacked), line, area, pie and doughnut, with axes, labels and legend as text.
#ifndef VINTREL_HOST_OOXML_DRAWING_CHART_H_
#define VINTREL_HOST_OOXML_DRAWING_CHART_H_

#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

std::string DrawChart(const std::string& chart_part, const Box& box, DrawingContext& context);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_CHART_H_
