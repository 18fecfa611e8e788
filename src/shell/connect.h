// The entry the host calls when it loads and unloads the add-in.
#ifndef VINTREL_SHELL_CONNECT_H_
#define VINTREL_SHELL_CONNECT_H_

#include <memory>

#include "document/presentation_object.h"
#include "host/application.h"
#include "shell/application_object.h"
#include "support/context.h"

namespace vintrel::shell {

// The loaded add-in. It is handed its services once, here, and owns the context they live in,
// with the module-wide state, for as long as it exists; everything it creates is handed that
// context.
class Connect {
 public:
  // `services` without sources get the real ones (files, databases, workbooks).
  explicit Connect(const Platform& services);
  ~Connect();
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  // Start-up: reads "Debug", writes the connection lines, creates the application object and
  // runs its InitHandler; an add-in that cannot run drops the object again and stays inactive.
  void OnConnection(host::Application& application, int connect_mode,
                    const host::AddInInstance& addin_instance);
  // Shut-down: UnInitHandler, then the application object goes.
  void OnDisconnection(int remove_mode);
  void OnAddInsUpdate();
  void OnStartupComplete();
  void OnBeginShutdown();

  // The add-in's context: the services handed in at construction (a program may add a show's
  // services later) and the module-wide state.
  Context& context() { return ctx_; }
  Platform& services() { return ctx_.services; }

  // The application object, or null while the field is empty (before connection, after an
  // inactive connection, after disconnection).
  shell::Application* application() const { return application_.get(); }

 private:
  // Any use of the empty field creates a fresh object first.
  shell::Application& ApplicationObject();

  Context ctx_;
  std::unique_ptr<shell::Application> application_;
};

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_CONNECT_H_
