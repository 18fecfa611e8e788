// A Mosquitto of the test's own on free loopback ports (tests/mqtt/mosquitto.conf: MQTT, and MQTT
// on WebSockets for browsers), for the tests of the commands that use a broker. Tests skip
// themselves when `kBroker` is not installed.
#ifndef VINTREL_TESTS_APPS_TEST_BROKER_H_
#define VINTREL_TESTS_APPS_TEST_BROKER_H_

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

#include "faults/fault_support.h"
#include "testing/temp_dir.h"

namespace vintrel::testing {

inline constexpr char kBroker[] = "/usr/sbin/mosquitto";

inline bool Reachable(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  const bool up = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return up;
}

// A Mosquitto of the test's own; it drops root for its own user, so its folder is readable.
class Broker {
 public:
  Broker() : port_(FreePort()) {
    int websockets_port = FreePort();
    while (websockets_port == port_) websockets_port = FreePort();
    ::chmod(folder_.path().c_str(), 0755);
    const std::filesystem::path source = std::filesystem::path(VINTREL_SOURCE_DIR) / "tests/mqtt";
    for (const char* name : {"passwords", "acl", "acl-websockets"}) {
      std::filesystem::copy_file(source / name, folder_.File(name));
      ::chmod(folder_.File(name).c_str(), 0644);
    }
    std::string config = std::regex_replace(ReadFile((source / "mosquitto.conf").string()),
                                            std::regex("@PORT@"), std::to_string(port_));
    config = std::regex_replace(config, std::regex("@WSPORT@"), std::to_string(websockets_port));
    folder_.Write("mosquitto.conf",
                  std::regex_replace(config, std::regex("@DIR@"), folder_.path()));
  }
  ~Broker() { Stop(); }

  void Start() {
    pid_ = ::fork();
    if (pid_ == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string config = folder_.File("mosquitto.conf");
      ::execl(kBroker, kBroker, "-c", config.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 100 && !Reachable(port_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }
  int port() const { return port_; }

 private:
  TempDir folder_;
  int port_;
  pid_t pid_ = 0;
};

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_APPS_TEST_BROKER_H_
