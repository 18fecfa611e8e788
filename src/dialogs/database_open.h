// What the connection dialogs share: opening a database for a moment (to test it, to list its
// tables), closing it again without a failure to show for the closing, and the hourglass
// meanwhile.
#ifndef VINTREL_DIALOGS_DATABASE_OPEN_H_
#define VINTREL_DIALOGS_DATABASE_OPEN_H_

#include <memory>
#include <string>

#include "host/data_access.h"
#include "host/platform.h"
#include "support/context.h"

namespace vintrel::dialogs {

// A connection to the database of `resolved` (already resolved against the presentation),
// opened; fails as the database does.
std::unique_ptr<host::Connection> OpenDatabase(const Context& ctx, const std::string& resolved);

void CloseQuietly(host::Connection& connection);

// The hourglass while a dialog waits for a database or a workbook.
class BusyCursor {
 public:
  explicit BusyCursor(const Context& ctx) : front_end_(ctx.services.front_end) {
    if (front_end_ != nullptr) front_end_->SetBusy(true);
  }
  ~BusyCursor() {
    if (front_end_ != nullptr) front_end_->SetBusy(false);
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  host::FrontEnd* front_end_;
};

}  // namespace vintrel::dialogs

#endif  // VINTREL_DIALOGS_DATABASE_OPEN_H_
