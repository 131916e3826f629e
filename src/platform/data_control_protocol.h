#pragma once

#include <wayland-client-core.h>

#include <cstdint>

#include "platform/startup_platform.h"

struct wl_seat;

namespace platform {

// The two Wayland data-control protocols: the standard one (`ext_data_control_manager_v1`)
// and the older one of wlroots compositors (`zwlr_data_control_manager_v1`). They are the
// same requests and events, in the same order and with the same arguments, under two
// names, so one reader speaks either: the interfaces of the one in use are data, and the
// requests go out by opcode (checked against both generated headers).
struct DataControlProtocol {
  const wl_interface* manager;
  const wl_interface* device;
  const wl_interface* source;
  const wl_interface* offer;
  // The version bound: the wlroots protocol at 1 reports no primary selection.
  uint32_t managerVersion;
  // Lower is preferred when a compositor offers both.
  int preference;
};

// Connects to $WAYLAND_DISPLAY and reads its registry once (one round trip).
WaylandClipboardAccess ProbeWaylandClipboard();

// The protocol whose manager has this interface name; null for any other name.
const DataControlProtocol* FindDataControlProtocol(const char* interfaceName);

enum class DataControlOpcode : uint32_t {
  kManagerCreateDataSource = 0,
  kManagerGetDataDevice = 1,
  kManagerDestroy = 2,
  kDeviceSetSelection = 0,
  kDeviceDestroy = 1,
  kSourceOffer = 0,
  kSourceDestroy = 1,
  kOfferReceive = 0,
  kOfferDestroy = 1,
};

// The events, laid out as both protocols' listeners are.
struct DataControlDeviceEvents {
  void (*dataOffer)(void* data, wl_proxy* device, wl_proxy* offer);
  void (*selection)(void* data, wl_proxy* device, wl_proxy* offer);
  void (*finished)(void* data, wl_proxy* device);
  void (*primarySelection)(void* data, wl_proxy* device, wl_proxy* offer);
};
struct DataControlSourceEvents {
  void (*send)(void* data, wl_proxy* source, const char* type, int32_t fd);
  void (*cancelled)(void* data, wl_proxy* source);
};
struct DataControlOfferEvents {
  void (*offer)(void* data, wl_proxy* offer, const char* type);
};

template <typename Events>
int DataControlAddListener(wl_proxy* proxy, const Events& events, void* data) {
  return wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(
                                          const_cast<Events*>(&events)), data);
}

wl_proxy* DataControlGetDevice(const DataControlProtocol& protocol, wl_proxy* manager,
                               wl_seat* seat);
wl_proxy* DataControlCreateSource(const DataControlProtocol& protocol, wl_proxy* manager);
void DataControlOffer(wl_proxy* source, const char* type);
// `source` null empties the selection.
void DataControlSetSelection(wl_proxy* device, wl_proxy* source);
void DataControlReceive(wl_proxy* offer, const char* type, int fd);
// Sends the destructor request `opcode` and destroys the proxy.
void DataControlDestroy(wl_proxy* proxy, DataControlOpcode opcode);

}  // namespace platform
