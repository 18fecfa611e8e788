// What every test that loads the add-in into the in-memory host hands it: a data access whose
// recordsets live in memory (connections come from the test's own sources) and the add-in
// instance object of the host's connection call.
#ifndef VINTREL_TESTS_TESTING_ADDIN_DOUBLES_H_
#define VINTREL_TESTS_TESTING_ADDIN_DOUBLES_H_

#include <memory>
#include <string>

#include "host/application.h"
#include "host/common/client_recordset.h"
#include "host/data_access.h"

namespace vintrel::testing {

class WorkingDataAccess : public host::DataAccess {
 public:
  std::unique_ptr<host::Connection> CreateConnection() override { return nullptr; }
  std::unique_ptr<host::Recordset> CreateRecordset() override {
    return std::make_unique<host::ClientRecordset>();
  }
};

class AddIn : public host::AddInInstance {
 public:
  std::string ProgId() const override { return "VT2002.Connect"; }
};

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_ADDIN_DOUBLES_H_
