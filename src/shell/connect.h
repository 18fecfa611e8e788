// The entry the host calls when it loads and unloads the add-in.
#ifndef VINTREL_SHELL_CONNECT_H_
#define VINTREL_SHELL_CONNECT_H_

#include <memory>

#include "document/presentation.h"
#include "host/application.h"
#include "shell/application.h"
#include "support/module_state.h"

namespace vintrel::shell {

// The loaded add-in. It is handed its services once, here, and owns the module-wide state they
// live in for as long as it exists.
class Connect {
 public:
  // `services` without dialogs get the add-in's own (the off-line copy, distribution, sending
  // and the property pages), shown through `services.front_end`; without sources, the real
  // ones (files, databases, workbooks).
  explicit Connect(const Platform& services);
  // Takes the services of the state in use when it connects (tests that set them up by hand).
  Connect();
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

  // The services handed in at construction (a program may add a show's services later).
  Platform& services() { return scope_ ? scope_->state().platform : Services(); }

  // The application object, or null while the field is empty (before connection, after an
  // inactive connection, after disconnection).
  shell::Application* application() const { return application_.get(); }

 private:
  // Any use of the empty field creates a fresh object first.
  shell::Application& ApplicationObject();

  // Installs the add-in's own dialogs and sources where the services lack them.
  void Complete(Platform& services);

  std::unique_ptr<ModuleScope> scope_;
  PresentationDialogs dialogs_;
  std::unique_ptr<shell::Application> application_;
};

// The add-in's own dialogs.
PresentationDialogs AddinDialogs();

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_CONNECT_H_
