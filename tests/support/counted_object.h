#pragma once

// IUnknown for the COM objects that tests hand to the probe: the scripted
// platform's objects (natively, against the platform subset) and the Windows
// fixtures' objects (against the SDK). An object answers QueryInterface for
// exactly the interfaces it implements and those they derive from, with null
// and E_NOINTERFACE for any other ID, as COM does, so that a wrong interface ID
// in the probe fails its tests. It counts its references, and a call on it
// after its last Release is reported as misuse instead of touching freed
// memory: test objects are never freed while the probe may still call them.
// What is reported where is the ledger's business, a class given as parameter:
//   static void referenced(const std::string& name);             AddRef, QueryInterface
//   static void released(const std::string& name, ULONG left);   Release
//   static void misused(const std::string& name, std::string_view method);

#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/guid.h"
#include "platform/media_foundation_guids.h"
#include "platform/platform_api.h"

namespace velkaron::test_support {

// Interface IDs, typed in from their published values.
inline constexpr GUID kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr GUID kIidErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr GUID kIidRestrictedErrorInfo = {
    0x82BA7092, 0x4C88, 0x427D, {0xA7, 0xBC, 0x16, 0xDD, 0x93, 0xFE, 0xB6, 0x7E}};
inline constexpr GUID kIidAttributes = {
    0x2CD2D921, 0xC447, 0x44A7, {0xA1, 0x3C, 0x4A, 0xDA, 0xBF, 0xC2, 0x47, 0xE3}};
inline constexpr GUID kIidMediaType = {
    0x44AE0FA8, 0xEA31, 0x4109, {0x8D, 0x2E, 0x4C, 0xAE, 0x49, 0x97, 0xC5, 0x55}};
inline constexpr GUID kIidActivate = {
    0x7FEE9E9A, 0x4A89, 0x47A6, {0x89, 0x9C, 0xB6, 0xA5, 0x3A, 0x70, 0xFB, 0x67}};

// The interfaces that test objects may implement, with their IDs.
// IMFTransform's is the probe's own constant, which a test compares with the
// documented value.
template <class Interface, const GUID& Iid>
struct InterfaceId {
  using Type = Interface;
  static constexpr const GUID& iid = Iid;
};
using KnownInterfaces =
    std::tuple<InterfaceId<IErrorInfo, kIidErrorInfo>,
               InterfaceId<IRestrictedErrorInfo, kIidRestrictedErrorInfo>,
               InterfaceId<IMFAttributes, kIidAttributes>, InterfaceId<IMFMediaType, kIidMediaType>,
               InterfaceId<IMFActivate, kIidActivate>,
               InterfaceId<IMFTransform, probe::mf::IID_IMFTransform>>;

// The calling convention is left to the compiler's default: the same as
// COM's on the 64-bit systems the probe runs on.
template <class Ledger, class First, class... More>
class CountedObject : public First, public More... {
 public:
  CountedObject(std::string name, ULONG references)
      : name_(std::move(name)), references_(references) {}
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;
  virtual ~CountedObject() = default;

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!alive("QueryInterface")) return E_UNEXPECTED;
    void* found = interface_for(iid);
    if (found == nullptr) return E_NOINTERFACE;
    ++references_;
    Ledger::referenced(name_);
    *out = found;
    return S_OK;
  }
  ULONG AddRef() override {
    if (!alive("AddRef")) return 0;
    Ledger::referenced(name_);
    return ++references_;
  }
  ULONG Release() override {
    if (!alive("Release")) return 0;
    const ULONG left = --references_;
    Ledger::released(name_, left);
    if (left == 0) on_last_release();
    return left;
  }

  bool implements(REFIID iid) { return interface_for(iid) != nullptr; }
  const std::string& name() const { return name_; }
  ULONG references() const { return references_; }

 protected:
  // True while the object has references; otherwise reports the misuse.
  bool alive(std::string_view method) const {
    if (references_ > 0) return true;
    Ledger::misused(name_, method);
    return false;
  }
  // A reference for a caller that receives the object other than through
  // QueryInterface or AddRef (a platform call that creates or delivers it).
  void add_reference() { ++references_; }
  // Drops the references the object holds on others.
  virtual void on_last_release() {}
  // The object's pointer of the interface that `iid` names, or null: each
  // implemented interface answers for itself and the interfaces it derives from.
  virtual void* interface_for(REFIID iid) {
    if (platform::same_guid(iid, kIidUnknown)) {
      return static_cast<IUnknown*>(static_cast<First*>(this));
    }
    constexpr auto* known = static_cast<KnownInterfaces*>(nullptr);
    void* found = nullptr;
    for (void* candidate : {through<First>(iid, known), through<More>(iid, known)...}) {
      if (found == nullptr) found = candidate;
    }
    return found;
  }

 private:
  template <class Via, class... Known>
  void* through(REFIID iid, std::tuple<Known...>*) {
    void* found = nullptr;
    ((found = found != nullptr ? found : as<Via, Known>(iid)), ...);
    return found;
  }
  template <class Via, class Known>
  void* as(REFIID iid) {
    using Interface = typename Known::Type;
    if constexpr (std::is_base_of_v<Interface, Via>) {
      if (platform::same_guid(iid, Known::iid)) {
        return static_cast<Interface*>(static_cast<Via*>(this));
      }
    }
    return nullptr;
  }

  std::string name_;
  ULONG references_;
};

}  // namespace velkaron::test_support
