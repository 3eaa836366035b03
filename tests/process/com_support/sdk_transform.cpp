#include "sdk_transform.h"

#include <iterator>
#include <string>
#include <variant>

#include "platform/com_ptr.h"
#include "remote/webrtc/output_attributes.h"

namespace velkaron::wine_test {
namespace {

// Whether the type holds the attribute with the probe's value for it.
bool holds(IMFMediaType& type, const probe::OutputAttribute& attribute) {
  if (const auto* guid = std::get_if<GUID>(&attribute.value)) {
    GUID value{};
    return SUCCEEDED(type.GetGUID(attribute.key, &value)) && same_guid(value, *guid);
  }
  if (const auto* wide = std::get_if<UINT64>(&attribute.value)) {
    UINT64 value = 0;
    return SUCCEEDED(type.GetUINT64(attribute.key, &value)) && value == *wide;
  }
  UINT32 value = 0;
  return SUCCEEDED(type.GetUINT32(attribute.key, &value)) &&
         value == *std::get_if<UINT32>(&attribute.value);
}

// What the probe set as output type, read back through the type's own store
// and held against the probe's table: each attribute with its value and
// nothing else, or the keys that differ.
std::string describe_type(IMFMediaType& type) {
  std::string differing;
  for (const auto& attribute : probe::kOutputAttributes) {
    if (!holds(type, attribute)) differing += " " + guid_name(attribute.key);
  }
  UINT32 count = 0;
  if (FAILED(type.GetCount(&count)) || count != std::size(probe::kOutputAttributes)) {
    differing += " count=" + std::to_string(count);
  }
  return differing.empty() ? " type=the fixed output type" : " type differs:" + differing;
}

class SdkTransform final : public TrackedObject<IMFTransform> {
 public:
  explicit SdkTransform(const world::Encoder& script)
      : TrackedObject<IMFTransform>("transform"), script_(script) {
    if (script_.async) attributes_->store(mf::MF_TRANSFORM_ASYNC, *script_.async);
    attributes_->fail_key(mf::MF_TRANSFORM_ASYNC, script_.async_read);
    attributes_->fail_key(mf::MF_TRANSFORM_ASYNC_UNLOCK, script_.unlock);
  }

  HRESULT STDMETHODCALLTYPE GetAttributes(IMFAttributes** attributes) override {
    if (!alive("GetAttributes")) return E_UNEXPECTED;
    if (attributes == nullptr) return recorded("GetAttributes", E_POINTER);
    *attributes = nullptr;
    if (script_.attributes.failed()) return recorded("GetAttributes", answer(script_.attributes));
    if (!script_.attributes.no_object) {
      attributes_->AddRef();
      *attributes = attributes_.get();
    }
    return recorded(script_.attributes.no_object ? "GetAttributes (no object)"
                                                 : "GetAttributes = " + attributes_->name(),
                    S_OK);
  }

  HRESULT STDMETHODCALLTYPE SetOutputType(DWORD stream, IMFMediaType* type, DWORD flags) override {
    if (!alive("SetOutputType")) return E_UNEXPECTED;
    std::string call =
        "SetOutputType(stream " + std::to_string(stream) + ", flags " + std::to_string(flags) + ")";
    if (type != nullptr) call += describe_type(*type);
    if (script_.set_output.failed()) return recorded(call, answer(script_.set_output));
    if (type == nullptr || stream != 0) return recorded(call, E_INVALIDARG);
    // Like a real transform, keep the type in force until the transform goes.
    type->AddRef();
    output_type_ = platform::com_ptr<IMFMediaType>(type);
    return recorded(call, S_OK);
  }

  HRESULT STDMETHODCALLTYPE GetInputAvailableType(DWORD stream, DWORD index,
                                                  IMFMediaType** type) override {
    if (!alive("GetInputAvailableType")) return E_UNEXPECTED;
    const std::string call = "GetInputAvailableType(stream " + std::to_string(stream) + ", " +
                             std::to_string(index) + ")";
    if (type == nullptr) return recorded(call, E_POINTER);
    *type = nullptr;
    if (stream != 0) return recorded(call, MF_E_INVALIDSTREAMNUMBER);
    if (index < script_.inputs.size()) {
      const auto& input = script_.inputs[index];
      if (input.offer.failed()) return recorded(call, answer(input.offer));
      if (input.offer.no_object) return recorded(call + " (no object)", S_OK);
      auto* offered = new SdkMediaType("input-type");
      offered->store(mf::MF_MT_MAJOR_TYPE, mf::MFMediaType_Video);
      offered->store(mf::MF_MT_SUBTYPE, input.subtype);
      offered->fail_key(mf::MF_MT_SUBTYPE, input.subtype_read);
      *type = offered;
      return recorded(call + " = " + offered->name() + " " + guid_name(input.subtype), S_OK);
    }
    if (index == script_.inputs.size()) {
      if (script_.inputs_end.no_object) return recorded(call + " (no object)", S_OK);
      return recorded(call, answer(script_.inputs_end));
    }
    return recorded(call, MF_E_NO_MORE_TYPES);
  }

  VELKARON_NOT_CALLED(GetStreamLimits, DWORD*, DWORD*, DWORD*, DWORD*);
  VELKARON_NOT_CALLED(GetStreamCount, DWORD*, DWORD*);
  VELKARON_NOT_CALLED(GetStreamIDs, DWORD, DWORD*, DWORD, DWORD*);
  VELKARON_NOT_CALLED(GetInputStreamInfo, DWORD, MFT_INPUT_STREAM_INFO*);
  VELKARON_NOT_CALLED(GetOutputStreamInfo, DWORD, MFT_OUTPUT_STREAM_INFO*);
  VELKARON_NOT_CALLED(GetInputStreamAttributes, DWORD, IMFAttributes**);
  VELKARON_NOT_CALLED(GetOutputStreamAttributes, DWORD, IMFAttributes**);
  VELKARON_NOT_CALLED(DeleteInputStream, DWORD);
  VELKARON_NOT_CALLED(AddInputStreams, DWORD, DWORD*);
  VELKARON_NOT_CALLED(GetOutputAvailableType, DWORD, DWORD, IMFMediaType**);
  VELKARON_NOT_CALLED(SetInputType, DWORD, IMFMediaType*, DWORD);
  VELKARON_NOT_CALLED(GetInputCurrentType, DWORD, IMFMediaType**);
  VELKARON_NOT_CALLED(GetOutputCurrentType, DWORD, IMFMediaType**);
  VELKARON_NOT_CALLED(GetInputStatus, DWORD, DWORD*);
  VELKARON_NOT_CALLED(GetOutputStatus, DWORD*);
  VELKARON_NOT_CALLED(SetOutputBounds, LONGLONG, LONGLONG);
  VELKARON_NOT_CALLED(ProcessEvent, DWORD, IMFMediaEvent*);
  VELKARON_NOT_CALLED(ProcessMessage, MFT_MESSAGE_TYPE, ULONG_PTR);
  VELKARON_NOT_CALLED(ProcessInput, DWORD, IMFSample*, DWORD);
  VELKARON_NOT_CALLED(ProcessOutput, DWORD, DWORD, MFT_OUTPUT_DATA_BUFFER*, DWORD*);

 private:
  void on_last_release() override {
    attributes_.reset();
    output_type_.reset();
  }

  const world::Encoder& script_;  // the worlds are static tables
  platform::com_ptr<AttributeStore<IMFAttributes>> attributes_{
      new AttributeStore<IMFAttributes>("transform-attributes")};
  platform::com_ptr<IMFMediaType> output_type_;
};

}  // namespace

HRESULT activate_sdk_transform(const world::Encoder& encoder, REFIID iid, void** out) {
  if (encoder.activation.failed()) return answer(encoder.activation);
  // Memory never returned: see TrackedObject.
  const platform::com_ptr<SdkTransform> transform(new SdkTransform(encoder));
  return transform->QueryInterface(iid, out);
}

}  // namespace velkaron::wine_test
