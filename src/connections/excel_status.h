// The one spreadsheet service all workbook connections of all presentations share: whether it
// can be used, starting it on first need, and shutting it down when the add-in unloads.
#ifndef VINTREL_CONNECTIONS_EXCEL_STATUS_H_
#define VINTREL_CONNECTIONS_EXCEL_STATUS_H_

#include "support/context.h"

namespace vintrel::connections {

namespace excel_status {
inline constexpr int kUnknown = 0;
inline constexpr int kUnavailable = 1;
inline constexpr int kNotRunning = 2;
inline constexpr int kStarted = 3;
}  // namespace excel_status

// Tests the service once (status 1 is final until unload), starts it when `start` and it can
// be, or shuts the started one down when `shutdown`. Returns the status. Never fails: each
// failing step is skipped.
int ExcelStatus(Context& ctx, bool start, bool shutdown);

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_EXCEL_STATUS_H_
