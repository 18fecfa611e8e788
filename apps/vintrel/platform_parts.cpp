#include "platform_parts.h"

#include "host/error.h"

namespace vintrel::app {

std::unique_ptr<host::Application> MakeDocumentHost(host::Clipboard& /*clipboard*/) {
  throw Error(kErrCannotCreateObject, "vintrel", "The presentation host is not available yet.");
}

std::unique_ptr<host::DataAccess> MakeDataAccess(host::EventLoop& /*loop*/) {
  return nullptr;
}

std::unique_ptr<host::SpreadsheetFactory> MakeSpreadsheetFactory() {
  return nullptr;
}

}  // namespace vintrel::app
