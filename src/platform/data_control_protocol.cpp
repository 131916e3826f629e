#include "platform/data_control_protocol.h"

#include "platform/wayland_client.h"

#include <cstring>

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace platform {
namespace {

using Op = DataControlOpcode;

constexpr uint32_t Code(Op op) { return static_cast<uint32_t>(op); }

static_assert(Code(Op::kManagerCreateDataSource) ==
                  EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE &&
              Code(Op::kManagerCreateDataSource) ==
                  ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE);
static_assert(Code(Op::kManagerGetDataDevice) == EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE &&
              Code(Op::kManagerGetDataDevice) == ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(Code(Op::kManagerDestroy) == EXT_DATA_CONTROL_MANAGER_V1_DESTROY &&
              Code(Op::kManagerDestroy) == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
static_assert(Code(Op::kDeviceSetSelection) == EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION &&
              Code(Op::kDeviceSetSelection) == ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(Code(Op::kDeviceDestroy) == EXT_DATA_CONTROL_DEVICE_V1_DESTROY &&
              Code(Op::kDeviceDestroy) == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(Code(Op::kSourceOffer) == EXT_DATA_CONTROL_SOURCE_V1_OFFER &&
              Code(Op::kSourceOffer) == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER);
static_assert(Code(Op::kSourceDestroy) == EXT_DATA_CONTROL_SOURCE_V1_DESTROY &&
              Code(Op::kSourceDestroy) == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
static_assert(Code(Op::kOfferReceive) == EXT_DATA_CONTROL_OFFER_V1_RECEIVE &&
              Code(Op::kOfferReceive) == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE);
static_assert(Code(Op::kOfferDestroy) == EXT_DATA_CONTROL_OFFER_V1_DESTROY &&
              Code(Op::kOfferDestroy) == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
// The listeners of both protocols have the layout of ours.
static_assert(sizeof(DataControlDeviceEvents) == sizeof(ext_data_control_device_v1_listener) &&
              sizeof(DataControlDeviceEvents) == sizeof(zwlr_data_control_device_v1_listener));
static_assert(sizeof(DataControlSourceEvents) == sizeof(ext_data_control_source_v1_listener) &&
              sizeof(DataControlSourceEvents) == sizeof(zwlr_data_control_source_v1_listener));
static_assert(sizeof(DataControlOfferEvents) == sizeof(ext_data_control_offer_v1_listener) &&
              sizeof(DataControlOfferEvents) == sizeof(zwlr_data_control_offer_v1_listener));

const DataControlProtocol kProtocols[] = {
    {&ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
     &ext_data_control_source_v1_interface, &ext_data_control_offer_v1_interface, 1, 0},
    {&zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
     &zwlr_data_control_source_v1_interface, &zwlr_data_control_offer_v1_interface, 1, 1},
};

}  // namespace

const DataControlProtocol* FindDataControlProtocol(const char* interfaceName) {
  for (const DataControlProtocol& protocol : kProtocols) {
    if (std::strcmp(interfaceName, protocol.manager->name) == 0) return &protocol;
  }
  return nullptr;
}

wl_proxy* DataControlGetDevice(const DataControlProtocol& protocol, wl_proxy* manager,
                               wl_seat* seat) {
  return wl_proxy_marshal_flags(manager, Code(Op::kManagerGetDataDevice), protocol.device,
                                wl_proxy_get_version(manager), 0, nullptr, seat);
}

wl_proxy* DataControlCreateSource(const DataControlProtocol& protocol, wl_proxy* manager) {
  return wl_proxy_marshal_flags(manager, Code(Op::kManagerCreateDataSource), protocol.source,
                                wl_proxy_get_version(manager), 0, nullptr);
}

void DataControlOffer(wl_proxy* source, const char* type) {
  wl_proxy_marshal_flags(source, Code(Op::kSourceOffer), nullptr, wl_proxy_get_version(source),
                         0, type);
}

void DataControlSetSelection(wl_proxy* device, wl_proxy* source) {
  wl_proxy_marshal_flags(device, Code(Op::kDeviceSetSelection), nullptr,
                         wl_proxy_get_version(device), 0, source);
}

void DataControlReceive(wl_proxy* offer, const char* type, int fd) {
  wl_proxy_marshal_flags(offer, Code(Op::kOfferReceive), nullptr, wl_proxy_get_version(offer), 0,
                         type, fd);
}

void DataControlDestroy(wl_proxy* proxy, DataControlOpcode opcode) {
  wl_proxy_marshal_flags(proxy, Code(opcode), nullptr, wl_proxy_get_version(proxy),
                         WL_MARSHAL_FLAG_DESTROY);
}

WaylandClipboardAccess ProbeWaylandClipboard() {
  if (!wayland::Load()) return WaylandClipboardAccess::kNoCompositor;
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return WaylandClipboardAccess::kNoCompositor;
  bool bDataControl = false;
  const wl_registry_listener listener = {
      [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
        if (FindDataControlProtocol(interface)) *static_cast<bool*>(data) = true;
      },
      [](void*, wl_registry*, uint32_t) {},
  };
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &listener, &bDataControl);
  const bool bAnswered = wl_display_roundtrip(display) >= 0;
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  if (!bAnswered) return WaylandClipboardAccess::kNoCompositor;
  return bDataControl ? WaylandClipboardAccess::kDataControl : WaylandClipboardAccess::kFocusOnly;
}

}  // namespace platform
