// The real stand-ins the program runs on, made in one place.
#ifndef VINTREL_APPS_VINTREL_PLATFORM_PARTS_H_
#define VINTREL_APPS_VINTREL_PLATFORM_PARTS_H_

#include <memory>

#include "host/application.h"
#include "host/data_access.h"
#include "host/event_loop.h"
#include "host/platform.h"
#include "host/spreadsheet.h"

namespace vintrel::app {

std::unique_ptr<host::DataAccess> MakeDataAccess(host::EventLoop& loop);
std::unique_ptr<host::SpreadsheetFactory> MakeSpreadsheetFactory(const host::FileSystem& files);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_PLATFORM_PARTS_H_
