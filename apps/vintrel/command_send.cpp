// vintrel send FILE: saves a copy of the presentation, with its distribution list and without
// linked values, into the distribution folder of the settings ("[Info] DistributionFolder"), or
// the one --to names. With --to mqtt://HOST[:PORT]/TOPIC the copy goes to a broker instead, as a
// retained message on TOPIC/files/NAME (NAME the file's name), so a player that connects later
// still gets it; --withdraw NAME takes one away again (an empty retained message, which the
// broker treats as deleting it).
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "broker_client.h"
#include "command.h"
#include "host_session.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

namespace fs = std::filesystem;

struct Options {
  std::string file;
  std::string to;
  std::string withdraw;
};

// A folder of its own for the copy on its way to the broker; removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "vintrel-send-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw BadInput("cannot make a temporary folder");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The add-in sends the copy, as its command does, into the session's distribution folder.
int SendWith(HostSession& session, const std::string& file) {
  host::Presentation& presentation = OpenPresentation(session, file);
  shell::Application* addin = session.addin();
  if (addin == nullptr || addin->FindEntry(presentation) == nullptr) return kExitFailure;
  addin->DistributionSendClick();
  // Sending ends with a message either way.
  const auto& said = session.front_end().last_message();
  if (!said) return kExitFailure;
  if ((said->style & host::msg_box::kIconMask) == host::msg_box::kInformation) return kExitOk;
  // Without a folder in the settings there is nowhere to send to: the user has to say where.
  if (said->text.rfind("Distribution folder not specified", 0) == 0) return kExitBadInput;
  return kExitFailure;
}

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A name a player can keep as a file of its own, and a topic level free of wildcards.
void CheckName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("/+#") != std::string::npos) {
    throw BadInput("--withdraw takes the file name of a sent presentation, not \"" + name + "\"");
  }
}

int SendToBroker(const Options& options, const BrokerAddress& address) {
  const ScratchFolder scratch;
  SessionOptions session_options;
  session_options.distribution_folder = scratch.path();
  HostSession session(session_options);
  // The broker is tried first: one that cannot be used is said before any copy is made.
  BrokerClient broker(address, {});
  broker.Connect(ReadBrokerLogin(session.context()));
  const auto deliver = [&](const std::string& name, const std::string& payload) {
    const std::string topic = address.topic + "/files/" + name;
    broker.Deliver(topic, payload, true);
    std::cout << (payload.empty() ? "Withdrawn: " : "Sent: ") << address.Text() << "/" << topic
              << "\n";
  };
  if (!options.withdraw.empty()) {
    deliver(options.withdraw, "");
    return kExitOk;
  }
  const int code = SendWith(session, options.file);
  if (code != kExitOk) return code;
  for (const fs::directory_entry& copy : fs::directory_iterator(scratch.path())) {
    deliver(copy.path().filename().string(), ReadWhole(copy.path()));
  }
  return kExitOk;
}

int Run(const Options& options) {
  if (options.withdraw.empty() == options.file.empty()) {
    throw BadInput("give either a presentation to send or --withdraw NAME");
  }
  if (!options.withdraw.empty()) CheckName(options.withdraw);
  if (options.to.find("://") != std::string::npos) {
    const std::optional<BrokerAddress> address = ParseBrokerAddress(options.to);
    if (!address) {
      throw BadInput(
          "--to takes a folder, mqtt://HOST[:PORT]/TOPIC or mqtts://HOST[:PORT]/TOPIC, "
          "not \"" +
          options.to + "\"");
    }
    return SendToBroker(options, *address);
  }
  if (!options.withdraw.empty()) {
    if (options.to.empty()) throw BadInput("--withdraw needs --to");
    std::error_code error;
    if (!fs::remove(fs::path(options.to) / options.withdraw, error)) {
      throw BadInput(options.to + ": no presentation " + options.withdraw +
                     (error ? " (" + error.message() + ")" : ""));
    }
    return kExitOk;
  }
  SessionOptions session_options;
  if (!options.to.empty()) {
    std::error_code ignored;
    const fs::path absolute = fs::absolute(options.to, ignored);
    session_options.distribution_folder =
        absolute.empty() ? options.to : absolute.lexically_normal().string();
  }
  HostSession session(session_options);
  return SendWith(session, options.file);
}

CommandAction SetupSend(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command = root.add_subcommand(
      "send",
      "Save a copy of the presentation into the distribution folder, or publish it through an "
      "MQTT broker");
  command->add_option("file", options->file, "The presentation (.pptx)");
  command->add_option("--to", options->to,
                      "A distribution folder (default: [Info] DistributionFolder), or a broker: "
                      "mqtt://HOST[:PORT]/TOPIC or mqtts://...");
  command->add_option("--withdraw", options->withdraw,
                      "Take back the presentation of this file name sent to --to");
  return [options] { return Run(*options); };
}

const CommandRegistration registration(80, SetupSend);

}  // namespace
}  // namespace vintrel::app
