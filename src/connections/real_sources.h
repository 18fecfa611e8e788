#ifndef VINTREL_CONNECTIONS_REAL_SOURCES_H_
#define VINTREL_CONNECTIONS_REAL_SOURCES_H_

#include "connections/connection_source.h"

namespace vintrel::connections {

// The sources a connection reads in earnest: text files, databases through the module's
// data-access components, workbooks through the shared spreadsheet service.
ConnectionSourceFactory RealSources();

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_REAL_SOURCES_H_
