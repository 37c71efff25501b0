// A client of a running JACK server (jackd, or PipeWire through its JACK
// library): opening it without ever starting a server, its ports, and the
// connections between ports. Every call here is a main-thread call; the
// audio thread only reads its ports' buffers (live_player.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/audio/jack_library.h"

class JackClient {
 public:
  // Opens a client named `name` of the server `serverName` (the default
  // server when empty). Throws ToolError (kExitNoAudio) with one line on how
  // to start a server when none is running, and for a client refused.
  JackClient(const JackLibrary& jack, const std::string& name, const std::string& serverName);
  ~JackClient() { close(); }
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  const JackLibrary& library() const { return jack_; }
  jack_client_t* handle() const { return client_; }
  // As the server knows it: it adds a number to a name already taken.
  std::string name() const;
  int32_t sampleRate() const;
  int32_t periodFrames() const;
  // The share of each period the whole graph spends processing, in percent.
  float dspLoad() const;

  // Throws ToolError (kExitNoAudio) when the server refuses.
  jack_port_t* registerPort(const char* shortName, const char* type, unsigned long flags);
  void activate();
  // Tells the client that the server went away: there is nothing left to
  // deactivate or close, and the process is about to end.
  void forgetServer() { serverGone_ = true; }
  // Deactivates and closes the client: the audio thread has stopped and no
  // callback comes after this.
  void close();

  // Full names of the ports of `type` with all of `flags`, in the server's order.
  std::vector<std::string> ports(const char* type, unsigned long flags) const;
  bool portExists(const std::string& name) const;
  bool connected(jack_port_t* own, const std::string& other) const;
  // Connects two ports by their full names; true when they are connected afterwards.
  bool connect(const std::string& source, const std::string& destination);

 private:
  void deactivate();

  const JackLibrary& jack_;
  jack_client_t* client_ = nullptr;
  bool active_ = false;
  bool serverGone_ = false;
};
