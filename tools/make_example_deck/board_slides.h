// The three slides of the sales board. Shapes that examples/build-example.sh links are found by
// their names, so those names are part of the contract with that script:
//   slide 1  "Clock", "North sales", "South sales" (text file), "East total", "North orders"
//            (database), "Q1 target", "Q1 share" (workbook)
//   slide 2  "Totals chart" (a native column chart)
//   slide 3  "Region picture" (a linked picture), "Region name", "Region sales"
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_BOARD_SLIDES_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_BOARD_SLIDES_H_

#include <string>

#include "deck_skeleton/deck_skeleton.h"

namespace vintrel::example {

// Values of linked shapes start as a dash; the first fill replaces it.
pptx::Slide SalesSlide();
// `chart_target` is the chart part relative to the slide folder ("../charts/chart1.xml").
pptx::Slide ChartSlide(const std::string& chart_target);
// `picture_target` is the linked picture's file, relative to the presentation's folder.
pptx::Slide PictureSlide(const std::string& picture_target);

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_BOARD_SLIDES_H_
