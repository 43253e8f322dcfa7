#pragma once

// The layout step: walks a report's rows, runs the band and control events and
// turns the printed bands into pages of the page model.

#include "reportengine/PageModel.h"

namespace ledra::report {

class Report;

// Lays the report out and hands every finished page to `sink` as soon as it is
// complete. A report that prints the page count is laid out twice (the first
// pass only counts pages), so its before-print event must reset running state.
// Returns the number of pages. Exceptions from events propagate; pages handed
// over until then stay with the sink.
int layoutReport(Report &report, PageSink &sink);

// Convenience: all pages in memory (preview, tests).
PageModel layoutReport(Report &report);

} // namespace ledra::report
