// A clipboard source for the Wayland end-to-end tests, which wl-copy cannot play: it
// offers a text beside the password managers' hint, or never answers.
//   offering_source hint VALUE TEXT   offers TEXT with the hint VALUE
//   offering_source silent TEXT       offers TEXT and keeps every request unanswered
// Prints "ready" once the compositor has the selection; ends when another takes it.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

struct State {
  wl_seat* seat = nullptr;
  zwlr_data_control_manager_v1* manager = nullptr;
  std::string hint;
  std::string text;
  bool bSilent = false;
  bool bCancelled = false;
  std::vector<int> heldFds;  // silent: requests kept open, never answered
};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t) {
  auto* state = static_cast<State*>(data);
  if (!state->seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
    state->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
  } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
    state->manager = static_cast<zwlr_data_control_manager_v1*>(
        wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
  }
}

void OnSend(void* data, zwlr_data_control_source_v1*, const char* type, int fd) {
  auto* state = static_cast<State*>(data);
  if (state->bSilent) {
    state->heldFds.push_back(fd);
    return;
  }
  const std::string& bytes = std::strcmp(type, "x-kde-passwordManagerHint") == 0
                                 ? state->hint : state->text;
  [[maybe_unused]] const ssize_t written = write(fd, bytes.data(), bytes.size());
  close(fd);
}

void OnCancelled(void* data, zwlr_data_control_source_v1*) {
  static_cast<State*>(data)->bCancelled = true;
}

}  // namespace

int main(int argc, char** argv) {
  State state;
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "hint" && argc == 4) {
    state.hint = argv[2];
    state.text = argv[3];
  } else if (mode == "silent" && argc == 3) {
    state.bSilent = true;
    state.text = argv[2];
  } else {
    std::fprintf(stderr, "usage: offering_source hint VALUE TEXT | silent TEXT\n");
    return 2;
  }
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return 1;
  wl_registry* registry = wl_display_get_registry(display);
  static const wl_registry_listener registryListener = {OnGlobal, [](void*, wl_registry*,
                                                                     uint32_t) {}};
  wl_registry_add_listener(registry, &registryListener, &state);
  wl_display_roundtrip(display);
  if (!state.seat || !state.manager) return 1;

  zwlr_data_control_device_v1* device =
      zwlr_data_control_manager_v1_get_data_device(state.manager, state.seat);
  zwlr_data_control_source_v1* source =
      zwlr_data_control_manager_v1_create_data_source(state.manager);
  static const zwlr_data_control_source_v1_listener sourceListener = {OnSend, OnCancelled};
  zwlr_data_control_source_v1_add_listener(source, &sourceListener, &state);
  zwlr_data_control_source_v1_offer(source, "text/plain;charset=utf-8");
  if (!state.hint.empty()) zwlr_data_control_source_v1_offer(source, "x-kde-passwordManagerHint");
  zwlr_data_control_device_v1_set_selection(device, source);
  wl_display_roundtrip(display);
  std::printf("ready\n");
  std::fflush(stdout);
  while (!state.bCancelled && wl_display_dispatch(display) >= 0) {
  }
  for (const int fd : state.heldFds) close(fd);
  wl_display_disconnect(display);
  return 0;
}
