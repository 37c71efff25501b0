#include "tools/audio/jack_client.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include "tools/system/tool_error.h"

namespace {

// The library's own complaints ("Cannot connect to server socket ...",
// "Server is not running") would bury the one line that says what to do:
// play reports every failure it acts on itself.
void ignoreMessage(const char*) {}

std::string noServerMessage(const std::string& serverName) {
  const std::string which =
      serverName.empty() ? "no JACK server is running" : "no JACK server '" + serverName + "' is running";
  return which + " (play never starts one): start PipeWire and run `pw-jack quorlin-host play`, or start JACK "
                 "with `jackd -d alsa` (or qjackctl) and run play again";
}

}  // namespace

JackClient::JackClient(const JackLibrary& jack, const std::string& name, const std::string& serverName) : jack_(jack) {
  jack_.set_error_function(ignoreMessage);
  jack_.set_info_function(ignoreMessage);
  const int options = JackNoStartServer | (serverName.empty() ? 0 : JackServerName);
  jack_status_t status{};
  client_ = jack_.client_open(name.c_str(), static_cast<jack_options_t>(options), &status, serverName.c_str());
  if (client_ != nullptr) return;
  if ((status & JackServerFailed) != 0) throw ToolError(kExitNoAudio, noServerMessage(serverName));
  char code[16];
  std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(status));
  throw ToolError(kExitNoAudio, "the JACK server refused a client named '" + name + "' (status " + code + ")");
}

void JackClient::close() {
  if (client_ == nullptr) return;
  deactivate();
  // The client of a server that went away is left to the process's end:
  // jackd's library can deadlock closing it then (seen about once in a
  // hundred times), and the process ends at once.
  if (!serverGone_) jack_.client_close(client_);
  client_ = nullptr;
}

std::string JackClient::name() const { return jack_.get_client_name(client_); }

int32_t JackClient::sampleRate() const { return static_cast<int32_t>(jack_.get_sample_rate(client_)); }

int32_t JackClient::periodFrames() const { return static_cast<int32_t>(jack_.get_buffer_size(client_)); }

float JackClient::dspLoad() const { return jack_.cpu_load(client_); }

jack_port_t* JackClient::registerPort(const char* shortName, const char* type, unsigned long flags) {
  jack_port_t* port = jack_.port_register(client_, shortName, type, flags, 0);
  if (port == nullptr) throw ToolError(kExitNoAudio, std::string("the JACK server refused the port ") + shortName);
  return port;
}

void JackClient::activate() {
  if (jack_.activate(client_) != 0) throw ToolError(kExitNoAudio, "the JACK server did not start the client");
  active_ = true;
}

void JackClient::deactivate() {
  if (active_ && !serverGone_) jack_.deactivate(client_);
  active_ = false;
}

std::vector<std::string> JackClient::ports(const char* type, unsigned long flags) const {
  std::vector<std::string> names;
  const char** found = jack_.get_ports(client_, nullptr, type, flags);
  if (found == nullptr) return names;
  for (const char** port = found; *port != nullptr; ++port) names.emplace_back(*port);
  jack_.free(found);
  return names;
}

bool JackClient::portExists(const std::string& name) const {
  return jack_.port_by_name(client_, name.c_str()) != nullptr;
}

bool JackClient::connected(jack_port_t* own, const std::string& other) const {
  return jack_.port_connected_to(own, other.c_str()) != 0;
}

bool JackClient::connect(const std::string& source, const std::string& destination) {
  const int result = jack_.connect(client_, source.c_str(), destination.c_str());
  return result == 0 || result == EEXIST;
}
