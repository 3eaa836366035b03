#include "stand_in_worlds.h"

#include <mferror.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "known_guids.h"

namespace velkaron::wine_test {
namespace {

using namespace test_support::world;

// "SSSSSSSS-0000-4000-8000-0000000000NN": one series of CLSIDs per world.
constexpr GUID clsid(std::uint32_t series, unsigned char number) {
  return {series, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, number}};
}

constexpr GUID kUnnamedFormat = {
    0x12345678, 0x9ABC, 0x4DEF, {0x81, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

Encoder nvidia(unsigned char number) {
  return named(u"NVIDIA H.264 Encoder MFT", clsid(0x44444444, number));
}

Encoder with_length(std::u16string name, UINT32 reported, const GUID& id) {
  Encoder encoder = named(std::move(name), id);
  encoder.name->reported = reported;
  return encoder;
}

// No encoder activates: the failures in the order tried (vendor order), the
// available encoders in enumeration order.
World activation_failures() {
  World world;
  Encoder microsoft = named(u"Microsoft H264 Encoder MFT", clsid(0x33333333, 1));
  microsoft.activation = fails(E_NOINTERFACE);
  Encoder removed = named(u"NVIDIA H.264 Encoder MFT", clsid(0x33333333, 2));
  removed.activation = fails(static_cast<HRESULT>(0x887A0005),
                             restricted(u"Not shown", u"The GPU was removed.", u""));
  Encoder contoso = named(u"Contoso Encoder", clsid(0x33333333, 3));
  contoso.activation = no_object();
  world.encoders = {microsoft, null_entry(), removed, contoso};
  return world;
}

// MFTEnumEx fails with a plain IErrorInfo whose description ends in white space.
World enumeration_fails() {
  World world;
  world.enumeration = fails(E_FAIL, described(u"Enumeration refused\tby the scripted platform \n"));
  return world;
}

// MFTEnumEx reports success and a count but hands out no array.
World enumeration_without_array() {
  World world;
  world.count_without_array = true;
  Encoder never_read;
  never_read.name = Text{u"Never read", std::nullopt};
  world.encoders = {never_read};
  return world;
}

// The selected encoder's name needs JSON escapes; it offers every labelled
// subtype, a subtype without a label and one GUID of no known format.
World escaped_name() {
  World world;
  Encoder escaped = named(u"Quote \"q\" back\\slash tab\t bell\a \u2713", clsid(0x55555555, 1));
  escaped.async = 1;
  escaped.offers({mf::MFVideoFormat_H264, mf::MFVideoFormat_NV12, mf::MFVideoFormat_RGB32,
                  mf::MFVideoFormat_ARGB32, mf::MFVideoFormat_YUY2, kFormatI420, kUnnamedFormat});
  world.encoders = {named(u"NVIDIA H.264 Encoder MFT", clsid(0x55555555, 2)), escaped};
  return world;
}

// Friendly names that the available list must carry as read: quotes and
// backslashes, control characters, non-ASCII text, an unpaired surrogate
// (unreadable), a reported length that cuts the name, unreadable attributes.
World friendly_names() {
  World world;
  Encoder unreadable;
  unreadable.name_read = fails(E_FAIL);
  unreadable.clsid_read = fails(MF_E_ATTRIBUTENOTFOUND);
  world.encoders = {
      named(u"Quote \"and\" backslash \\ encoder", clsid(0x11111111, 1)),
      null_entry(),
      named(u"Tab\tnewline\nbell\a encoder", clsid(0x11111111, 2)),
      named(u"\u0124\u00E4rdw\u00E2re \u00CBncoder \u2713 \U0001D11E", clsid(0x11111111, 3)),
      named(u"Lone " + std::u16string(1, char16_t{0xD800}) + u" surrogate", clsid(0x11111111, 4)),
      with_length(u"Cut after eleven characters", 11, clsid(0x11111111, 5)),
      unreadable,
      with_length(u"\u00DCn\u00EFc\u00F6d\u00E9 cut", 5, clsid(0x11111111, 6)),
      with_length(u"\u00DCn\u00EFc\u00F6d\u00E9 whole", 13, clsid(0x11111111, 7)),
  };
  return world;
}

// After one input type, GetInputAvailableType reports success without an object.
World input_type_null() {
  World world;
  Encoder encoder = nvidia(5);
  encoder.offers({mf::MFVideoFormat_NV12});
  encoder.inputs_end = no_object();
  world.encoders = {encoder};
  return world;
}

// MFCreateMediaType reports success without an object.
World media_type_null() {
  World world;
  world.media_type = no_object();
  world.encoders = {nvidia(2)};
  return world;
}

// The activation array holds only null entries.
World null_entries() {
  World world;
  world.encoders = {null_entry(), null_entry()};
  return world;
}

// The fourth attribute of the output type, the frame rate, cannot be set.
World output_setter_fails() {
  World world;
  world.output_type_refuses = {{mf::MF_MT_FRAME_RATE, fails(E_INVALIDARG)}};
  world.encoders = {nvidia(3)};
  return world;
}

// SetOutputType fails with restricted error information whose two detail
// texts are empty, so the plain description is the message.
World set_output_fails() {
  World world;
  Encoder encoder = nvidia(4);
  encoder.async = 1;
  encoder.set_output =
      fails(MF_E_INVALIDMEDIATYPE, restricted(u"Not supported by this encoder.", u"", u""));
  world.encoders = {encoder};
  return world;
}

// MFStartup fails and leaves error information that also answers
// IRestrictedErrorInfo: its restricted description wins over the others.
World startup_fails() {
  World world;
  world.startup =
      fails(E_ACCESSDENIED, restricted(u"Plain description, not shown", u"Details, not shown",
                                       u"Media Foundation is disabled by policy.\r\n"));
  return world;
}

// The second input type's subtype cannot be read.
World subtype_fails() {
  World world;
  Encoder encoder = nvidia(6);
  encoder.offers({mf::MFVideoFormat_NV12, mf::MFVideoFormat_YUY2, mf::MFVideoFormat_RGB32});
  encoder.inputs[1].subtype_read = fails(MF_E_ATTRIBUTENOTFOUND);
  world.encoders = {encoder};
  return world;
}

// The unlock fails with error information whose description is empty: the
// message then carries the code alone, whatever the system's text for it.
World unlock_fails() {
  World world;
  Encoder encoder = nvidia(1);
  encoder.async = 1;
  encoder.unlock = fails(E_FAIL, described(u""));
  world.encoders = {encoder};
  return world;
}

// Every activated object is shut down: the candidate that failed once its error
// is taken, the chosen one once after its last use and before its release. The
// chosen one's ShutdownObject fails, which changes nothing.
World shutdown_object() {
  World world;
  Encoder refused = named(u"NVIDIA H.264 Encoder MFT", clsid(0x66666666, 1));
  refused.activation = fails(E_FAIL, described(u"Activation refused"));
  Encoder chosen = named(u"Microsoft H264 Encoder MFT", clsid(0x66666666, 2));
  chosen.offers({mf::MFVideoFormat_NV12});
  chosen.shutdown_object = fails(E_FAIL, described(u"Shutdown trouble"));
  world.encoders = {refused, chosen};
  return world;
}

// Without a selector the encoders are tried NVIDIA, Intel, AMD, any other
// vendor, Microsoft; here only the last one tried activates. MFShutdown's
// failure changes nothing.
World vendor_order() {
  World world;
  Encoder microsoft = named(u"Microsoft H264 Encoder MFT", clsid(0x22222222, 1));
  microsoft.offers({mf::MFVideoFormat_NV12});
  Encoder amd = named(u"AMD H.264 Hardware MFT Encoder", clsid(0x22222222, 2));
  Encoder contoso = named(u"Contoso Video Encoder", clsid(0x22222222, 3));
  Encoder intel = named(u"Intel\u00AE Quick Sync Video H.264 Encoder MFT", clsid(0x22222222, 4));
  amd.activation = contoso.activation = intel.activation = fails(E_FAIL);
  Encoder busy = named(u"NVIDIA H.264 Encoder MFT", clsid(0x22222222, 5));
  busy.activation = fails(E_FAIL, described(u"Encoder busy"));
  world.encoders = {microsoft, amd, contoso, intel, busy};
  world.shutdown = fails(E_FAIL, described(u"Shutdown trouble"));
  return world;
}

// MFTEnumEx fails with a wrapped NT status (bit 28 set) and no error information.
World wrapped_nt_status() {
  World world;
  world.enumeration = fails(static_cast<HRESULT>(0xD0000022));
  return world;
}

}  // namespace

const World* find_stand_in_world(std::wstring_view name) {
  static const std::vector<std::pair<std::wstring_view, World>> worlds = {
      {L"activation_failures", activation_failures()},
      {L"empty", World{}},
      {L"enumeration_fails", enumeration_fails()},
      {L"enumeration_without_array", enumeration_without_array()},
      {L"escaped_name", escaped_name()},
      {L"friendly_names", friendly_names()},
      {L"input_type_null", input_type_null()},
      {L"media_type_null", media_type_null()},
      {L"null_entries", null_entries()},
      {L"output_setter_fails", output_setter_fails()},
      {L"set_output_fails", set_output_fails()},
      {L"shutdown_object", shutdown_object()},
      {L"startup_fails", startup_fails()},
      {L"subtype_fails", subtype_fails()},
      {L"unlock_fails", unlock_fails()},
      {L"vendor_order", vendor_order()},
      {L"wrapped_nt_status", wrapped_nt_status()},
  };
  for (const auto& [known, world] : worlds) {
    if (known == name) return &world;
  }
  return nullptr;
}

}  // namespace velkaron::wine_test
